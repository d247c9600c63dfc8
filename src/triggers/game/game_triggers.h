#pragma once

#include <functional>
#include <string>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

inline constexpr int kGameSlots = 8;
inline constexpr int kGameButtons = 16;

// 16 x slot + button + 1: 1..128 for slots 0..7 and buttons 0..15.
inline int GameTriggerId(int slot, int button) {
    return kGameButtons * slot + button + 1;
}

// A button's record by index.
using RecordOf = std::function<const ButtonRecord&(int button)>;

// Status field 18: " Last stick :  %d, button %d" and " on " or " off ".
std::string GameStatusText(int id, bool pressed);

// Every button whose `gameTrigger` is `id`, lowest first.
std::vector<int> ButtonsStartedByGame(const RecordOf& record, int id);
// Of those, the ones that play while triggered.
std::vector<int> ButtonsReleasedByGame(const RecordOf& record, int id);

// What a controller button does to the console. Any thread; never waits.
class GameTarget {
public:
    virtual ~GameTarget() = default;
    virtual void Trigger(int id, bool pressed) = 0;
};

}  // namespace tamberline
