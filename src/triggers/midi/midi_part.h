#pragma once

#include <cstdint>
#include <functional>

#include "base/console_part.h"

namespace tamberline {

class MidiPorts;

// MIDI as the console sees it: inputs count from the end of start-up on,
// and MIDI timecode arriving keeps the console's timecode watch awake.
class MidiPart final : public ConsolePart {
public:
    MidiPart(MidiPorts& ports, std::function<void()> noteTimecodeFrame)
        : ports_(ports), noteTimecodeFrame_(std::move(noteTimecodeFrame)) {}

    bool Start(StartStep step) override;
    void Tick(const TickState& state) override;

private:
    MidiPorts& ports_;
    std::function<void()> noteTimecodeFrame_;
    uint32_t quarterFramesSeen_ = 0;
};

}  // namespace tamberline
