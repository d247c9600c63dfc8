#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/console_part.h"

namespace tamberline {

class MidiDriver;
class MidiPorts;

// MIDI as the console sees it: inputs count from the end of start-up on,
// MIDI timecode arriving keeps the console's timecode watch awake, and a
// hardware check that finds MIDI devices come or gone restarts MIDI.
class MidiPart final : public ConsolePart {
public:
    MidiPart(MidiPorts& ports, std::function<void()> noteTimecodeFrame)
        : ports_(ports), noteTimecodeFrame_(std::move(noteTimecodeFrame)) {}

    // The driver whose ports are watched, and MIDI's switch off and on again
    // (GUI thread; it does nothing while MIDI is off).
    void WatchDevices(MidiDriver& driver, std::function<void()> restart);

    bool Start(StartStep step) override;
    void Tick(const TickState& state) override;
    void HardwareCheck() override;

private:
    std::vector<std::string> DeviceNames() const;

    MidiDriver* driver_ = nullptr;
    std::function<void()> restart_;
    std::vector<std::string> devices_;
    MidiPorts& ports_;
    std::function<void()> noteTimecodeFrame_;
    uint32_t quarterFramesSeen_ = 0;
};

}  // namespace tamberline
