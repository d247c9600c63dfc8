#include "app/program_port_hooks.h"

namespace tamberline {

namespace {
constexpr int kApplied = 9;
}

bool ProgramPortHooks::OpenTriggerPort(TriggerPort port) {
    const Port& hooks = ports_[Index(port)];
    return hooks.open && hooks.open();
}

void ProgramPortHooks::CloseTriggerPort(TriggerPort port) {
    const Port& hooks = ports_[Index(port)];
    if (hooks.close) {
        hooks.close();
    }
}

void SetupTriggerPort(PortSwitches& switches, TriggerPort port,
                      const std::function<int()>& choose) {
    const bool wasOn = switches.IsOn(port);
    switches.Disable(port, false);
    if (choose() == kApplied && wasOn) {
        switches.Enable(port);
    }
}

}  // namespace tamberline
