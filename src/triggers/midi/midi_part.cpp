#include "triggers/midi/midi_part.h"

#include "triggers/midi/midi_ports.h"

namespace tamberline {

bool MidiPart::Start(StartStep step) {
    if (step == StartStep::kStatus) {
        ports_.SetStartupComplete();
    }
    return true;
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
