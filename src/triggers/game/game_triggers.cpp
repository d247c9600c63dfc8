#include "triggers/game/game_triggers.h"

#include <cstdio>

namespace tamberline {

std::string GameStatusText(int id, bool pressed) {
    char text[64];
    std::snprintf(text, sizeof text, " Last stick :  %d, button %d", (id - 1) / kGameButtons + 1,
                  (id - 1) % kGameButtons + 1);
    return std::string(text) + (pressed ? " on " : " off ");
}

std::vector<int> ButtonsStartedByGame(const RecordOf& record, int id) {
    std::vector<int> buttons;
    if (id < 1 || id > kGameSlots * kGameButtons) {
        return buttons;
    }
    for (int k = 0; k < kButtonCount; ++k) {
        if (record(k).gameTrigger == id) {
            buttons.push_back(k);
        }
    }
    return buttons;
}

std::vector<int> ButtonsReleasedByGame(const RecordOf& record, int id) {
    std::vector<int> buttons;
    for (int k : ButtonsStartedByGame(record, id)) {
        if (record(k).flags & kFlagPlayWhileTriggered) {
            buttons.push_back(k);
        }
    }
    return buttons;
}

}  // namespace tamberline
