#pragma once

#include "triggers/game/game_triggers.h"

namespace tamberline {

class RunController;

// Controller buttons' work on the buttons, done on the control thread in
// the order they came: a press requests the starts of its buttons in one
// signal, a release releases those that play while triggered.
class GameRunTarget final : public GameTarget {
public:
    explicit GameRunTarget(RunController& run) : run_(run) {}
    void Trigger(int id, bool pressed) override;

private:
    RunController& run_;
};

}  // namespace tamberline
