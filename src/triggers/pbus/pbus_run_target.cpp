#include "triggers/pbus/pbus_run_target.h"

#include "playback/run_controller.h"

namespace tamberline {

void PbusRunTarget::Act(const std::vector<PbusEffects::Action>& actions) {
    run_.control().Post([&run = run_, actions] {
        ButtonRunner& runner = run.runner();
        for (const PbusEffects::Action& action : actions) {
            if (action.start) {
                runner.StartButton(action.button);
            } else {
                runner.ReleaseButton(action.button);
            }
        }
    });
}

}  // namespace tamberline
