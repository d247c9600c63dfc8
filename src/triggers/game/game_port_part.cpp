#include "triggers/game/game_port_part.h"

#include "base/message_box.h"
#include "triggers/game/game_port.h"

namespace tamberline {

void GamePortPart::HardwareCheck() {
    if (port_.IsOpen() && port_.ConnectionLost()) {
        if (switchOff_) {
            switchOff_();
        }
        port_.Close();
        box_.Show("Game port connection lost.", mb::kOk | mb::kIconExclamation);
    }
}

void GamePortPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kGamePorts) {
        port_.Close();
    }
}

}  // namespace tamberline
