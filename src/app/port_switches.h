#pragma once

#include <array>
#include <functional>
#include <string>

#include "base/console_part.h"

namespace tamberline {

class ConsoleMenu;
class Registry;

enum class TriggerPort { kSmpte, kMidi, kPbus, kGamePort };

// What each trigger port does when it is switched; the ports themselves
// come with their own parts. Opening shows the port's own message on failure.
class PortHooks {
public:
    virtual ~PortHooks() = default;
    virtual bool OpenTriggerPort(TriggerPort /*port*/) { return false; }
    virtual void CloseTriggerPort(TriggerPort /*port*/) {}
};

// The title of the " Ports " menu: the word and one letter per port that
// is on, S, M, G, P, padded to 12 characters.
std::string PortsTitle(bool smpte, bool midi, bool gamePort, bool pbus);

// The on/off switches of the four trigger ports, with their menu check
// marks, the menu title, the ports' status fields and the stored settings.
// As a console part it opens the ports left on at the end of start-up and
// closes them at exit.
class PortSwitches final : public ConsolePart {
public:
    using StatusFieldFn = std::function<void(int field, const std::string& text)>;

    PortSwitches(Registry& registry, ConsoleMenu& menu, PortHooks& hooks,
                 StatusFieldFn statusField);

    // Nothing happens for a port already on; false when the port failed.
    bool Enable(TriggerPort port);
    // `closing`: the program ends, so menu, title and setting stay as the
    // operator left them.
    void Disable(TriggerPort port, bool closing);
    bool IsOn(TriggerPort port) const { return on_[Index(port)]; }

    // Start-up: every port whose setting is on, in the stored order.
    void EnableStoredPorts();
    // A menu command of the " Ports " popup; false for any other id.
    bool RunCommand(int id);

    bool Start(StartStep step) override;
    bool Exit(ExitStep step) override;

private:
    static size_t Index(TriggerPort port) { return static_cast<size_t>(port); }
    void UpdatePortsTitle();

    Registry& registry_;
    ConsoleMenu& menu_;
    PortHooks& hooks_;
    StatusFieldFn statusField_;
    std::array<bool, 4> on_{};
};

}  // namespace tamberline
