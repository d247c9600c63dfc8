#include "triggers/game/game_run_target.h"

#include "playback/run_controller.h"

namespace tamberline {

void GameRunTarget::Trigger(int id, bool pressed) {
    run_.control().Post([&run = run_, id, pressed] {
        ButtonRunner& runner = run.runner();
        const RecordOf record = [&runner](int button) -> const ButtonRecord& {
            return runner.Record(button);
        };
        if (pressed) {
            const std::vector<int> buttons = ButtonsStartedByGame(record, id);
            if (!buttons.empty()) {
                runner.Requests().Request(buttons);
            }
            return;
        }
        for (int button : ButtonsReleasedByGame(record, id)) {
            runner.ReleaseButton(button);
        }
    });
}

}  // namespace tamberline
