#include "triggers/midi/midi_part.h"

#include <algorithm>

#include "triggers/midi/midi_driver.h"
#include "triggers/midi/midi_ports.h"

namespace tamberline {

void MidiPart::WatchDevices(MidiDriver& driver, std::function<void()> restart) {
    driver_ = &driver;
    restart_ = std::move(restart);
}

bool MidiPart::Start(StartStep step) {
    if (step == StartStep::kDeviceSnapshot) {
        devices_ = DeviceNames();
    }
    if (step == StartStep::kStatus) {
        ports_.SetStartupComplete();
    }
    return true;
}

// Inputs and outputs by name, sorted: two devices of one name count twice.
std::vector<std::string> MidiPart::DeviceNames() const {
    std::vector<std::string> names;
    if (driver_ == nullptr) {
        return names;
    }
    for (const std::string& name : driver_->InputNames()) {
        names.push_back("in " + name);
    }
    for (const std::string& name : driver_->OutputNames()) {
        names.push_back("out " + name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MidiPart::HardwareCheck() {
    std::vector<std::string> now = DeviceNames();
    if (now == devices_) {
        return;
    }
    devices_ = std::move(now);
    if (restart_) {
        restart_();
    }
}

void MidiPart::Tick(const TickState& /*state*/) {
    const uint32_t frames = ports_.quarterFrames();
    if (frames != quarterFramesSeen_) {
        quarterFramesSeen_ = frames;
        if (noteTimecodeFrame_) {
            noteTimecodeFrame_();
        }
    }
}

}  // namespace tamberline
