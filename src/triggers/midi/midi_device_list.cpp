#include "triggers/midi/midi_device_list.h"

#include <algorithm>

namespace tamberline {

std::vector<MidiDevice> ListMidiDevices(const std::vector<std::string>& portNames) {
    std::vector<MidiDevice> devices;
    for (const std::string& port : portNames) {
        if (devices.size() == kMidiDeviceIds) {
            break;
        }
        std::string name = port;
        for (int copy = 2; std::any_of(devices.begin(), devices.end(),
                                       [&](const MidiDevice& d) { return d.name == name; });
             ++copy) {
            name = port + " (" + std::to_string(copy) + ")";
        }
        devices.push_back({static_cast<int>(devices.size()), port, std::move(name)});
    }
    return devices;
}

}  // namespace tamberline
