#include "session/settings.h"

namespace tamberline::settings {

namespace {
inline constexpr uint32_t kPortUsable = 9;
}

StringSetting RecentSession(int number) {
    return {"MRU" + std::to_string(number), ""};
}

DwordSetting MidiInPort(std::string_view portName) {
    return {"MidiIn : " + std::string(portName), kPortUsable};
}

DwordSetting MidiOutPort(std::string_view portName) {
    return {"MidiOut : " + std::string(portName), kPortUsable};
}

StringSetting OutputUserName(std::string_view deviceName) {
    return {std::string(deviceName), ""};
}

StringSetting ControlPanelProgram(std::string_view driverName) {
    return {std::string(driverName), ""};
}

DwordSetting CustomColour(int index) {
    return {"CustColour" + std::to_string(index), 0xE0E0E0};
}

}  // namespace tamberline::settings
