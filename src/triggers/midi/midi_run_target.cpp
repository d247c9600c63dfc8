#include "triggers/midi/midi_run_target.h"

#include "playback/run_controller.h"

namespace tamberline {

void MidiRunTarget::Act(const MidiAction& action) {
    if (action.kind == MidiAction::Kind::kReset) {
        run_.StopAll();
        return;
    }
    // Run control outlives what its thread still has to run; this target
    // may not.
    run_.control().Post([&run = run_, action] {
        // On the control thread: its records are the ones starts use.
        ButtonRunner& runner = run.runner();
        const std::vector<int> buttons = MidiActionButtons(
            action, [&runner](int button) -> const ButtonRecord& { return runner.Record(button); });
        for (int button : buttons) {
            switch (action.kind) {
                case MidiAction::Kind::kNoteOn: runner.Requests().Request(button); break;
                case MidiAction::Kind::kNoteOff:
                case MidiAction::Kind::kAllNotesOff: runner.ReleaseButton(button); break;
                case MidiAction::Kind::kAllSoundsOff: runner.StopButton(button); break;
                default: break;
            }
        }
    });
}

}  // namespace tamberline
