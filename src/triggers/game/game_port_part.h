#pragma once

#include <functional>

#include "base/console_part.h"

namespace tamberline {

class GamePort;
class MessageBox;

// The game port at a hardware check: a controller that is still missing
// switches the port off, with the operator told.
class GamePortPart final : public ConsolePart {
public:
    // `switchOff`: the port switch's "Off" (GUI thread).
    GamePortPart(GamePort& port, MessageBox& box, std::function<void()> switchOff)
        : port_(port), box_(box), switchOff_(std::move(switchOff)) {}

    void HardwareCheck() override;
    void Teardown(TeardownStep step) override;

private:
    GamePort& port_;
    MessageBox& box_;
    std::function<void()> switchOff_;
};

}  // namespace tamberline
