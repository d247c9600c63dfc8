#include "app/port_switches.h"

#include "app/console_menu.h"
#include "session/registry.h"

namespace tamberline {

namespace {

struct PortInfo {
    TriggerPort port;
    const SwitchSetting& setting;
    int onId;
    int offId;
    int statusField;
    const char* statusText;  // written when the port goes on; none for SMPTE
};

// In the order start-up opens them.
constexpr PortInfo kPorts[] = {
    {TriggerPort::kSmpte, settings::kSmpteEnable, cmd::kSmpteOn, cmd::kSmpteOff, 15, nullptr},
    {TriggerPort::kMidi, settings::kMidiEnable, cmd::kMidiOn, cmd::kMidiOff, 17, " Last midi :  "},
    {TriggerPort::kPbus, settings::kPbusEnable, cmd::kPbusOn, cmd::kPbusOff, 19, " Last PBus :  "},
    {TriggerPort::kGamePort, settings::kGamePortEnable, cmd::kGameOn, cmd::kGameOff, 18,
     " Last stick :  "},
};

// Exit closes them in another order.
constexpr TriggerPort kCloseOrder[] = {TriggerPort::kSmpte, TriggerPort::kGamePort,
                                       TriggerPort::kMidi, TriggerPort::kPbus};

const PortInfo& InfoOf(TriggerPort port) {
    for (const PortInfo& info : kPorts) {
        if (info.port == port) {
            return info;
        }
    }
    return kPorts[0];
}

}  // namespace

std::string PortsTitle(bool smpte, bool midi, bool gamePort, bool pbus) {
    std::string title = " Ports      ";
    size_t at = 7;
    for (auto [on, letter] : {std::pair{smpte, 'S'}, {midi, 'M'}, {gamePort, 'G'}, {pbus, 'P'}}) {
        if (on) {
            title[at++] = letter;
        }
    }
    return title;
}

PortSwitches::PortSwitches(Registry& registry, ConsoleMenu& menu, PortHooks& hooks,
                           StatusFieldFn statusField)
    : registry_(registry), menu_(menu), hooks_(hooks), statusField_(std::move(statusField)) {}

bool PortSwitches::Enable(TriggerPort port) {
    if (IsOn(port)) {
        return true;
    }
    if (!hooks_.OpenTriggerPort(port)) {
        return false;
    }
    const PortInfo& info = InfoOf(port);
    on_[Index(port)] = true;
    menu_.SetChecked(info.onId, true);
    menu_.SetChecked(info.offId, false);
    if (info.statusText) {
        statusField_(info.statusField, info.statusText);
    }
    UpdatePortsTitle();
    registry_.SetOn(info.setting, true);
    return true;
}

void PortSwitches::Disable(TriggerPort port, bool closing) {
    if (!IsOn(port)) {
        return;
    }
    hooks_.CloseTriggerPort(port);
    on_[Index(port)] = false;
    if (closing) {
        return;
    }
    const PortInfo& info = InfoOf(port);
    menu_.SetChecked(info.offId, true);
    menu_.SetChecked(info.onId, false);
    statusField_(info.statusField, "");
    UpdatePortsTitle();
    registry_.SetOn(info.setting, false);
}

void PortSwitches::EnableStoredPorts() {
    for (const PortInfo& info : kPorts) {
        if (registry_.IsOn(info.setting)) {
            Enable(info.port);
        }
    }
}

bool PortSwitches::Start(StartStep step) {
    if (step == StartStep::kTriggerPorts) {
        EnableStoredPorts();
    }
    return true;
}

bool PortSwitches::Exit(ExitStep step) {
    if (step == ExitStep::kClosePorts) {
        for (TriggerPort port : kCloseOrder) {
            Disable(port, true);
        }
    }
    return true;
}

bool PortSwitches::RunCommand(int id) {
    for (const PortInfo& info : kPorts) {
        if (id == info.onId) {
            Enable(info.port);
            return true;
        }
        if (id == info.offId) {
            Disable(info.port, false);
            return true;
        }
    }
    return false;
}

void PortSwitches::UpdatePortsTitle() {
    menu_.SetText(cmd::kPortsMenu,
                  PortsTitle(IsOn(TriggerPort::kSmpte), IsOn(TriggerPort::kMidi),
                             IsOn(TriggerPort::kGamePort), IsOn(TriggerPort::kPbus)));
}

}  // namespace tamberline
