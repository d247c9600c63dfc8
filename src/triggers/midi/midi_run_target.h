#pragma once

#include "triggers/midi/midi_reader.h"

namespace tamberline {

class RunController;

// MIDI's work on the buttons, done on the control thread in the order the
// messages came: the scan over the records run control holds, one start
// signal per message, releases and stops; a reset is the stop of all.
class MidiRunTarget final : public MidiTriggerTarget {
public:
    explicit MidiRunTarget(RunController& run) : run_(run) {}
    void Act(const MidiAction& action) override;

private:
    RunController& run_;
};

}  // namespace tamberline
