#pragma once

#include <array>
#include <functional>

#include "app/port_switches.h"

namespace tamberline {

// The program's trigger ports as the port switches open and close them:
// each port's own part plugs its opening and closing in here. A port not
// plugged in cannot be switched on.
class ProgramPortHooks final : public PortHooks {
public:
    struct Port {
        std::function<bool()> open;
        std::function<void()> close;
    };

    void Plug(TriggerPort port, Port hooks) { ports_[Index(port)] = std::move(hooks); }

    bool OpenTriggerPort(TriggerPort port) override;
    void CloseTriggerPort(TriggerPort port) override;

private:
    static size_t Index(TriggerPort port) { return static_cast<size_t>(port); }
    std::array<Port, 4> ports_;
};

// The "Setup" item of a port's menu: the port goes off while its dialog is
// open and on again afterwards when it was on and the dialog was applied
// (`choose` returns 9).
void SetupTriggerPort(PortSwitches& switches, TriggerPort port, const std::function<int()>& choose);

}  // namespace tamberline
