#pragma once

#include <string>
#include <vector>

#include "app/main_tick.h"
#include "app/monitor_placement.h"
#include "base/clock.h"
#include "base/console_part.h"

namespace tamberline {

class Registry;
class Session;

// What the console's window does for the core: header line, cursor, timer,
// the clock's status field, and the work area it covers.
class ConsoleView {
public:
    virtual ~ConsoleView() = default;
    virtual void ShowHeaderMessage(const std::string& /*text*/) {}
    virtual void SetWaitCursor(bool /*wait*/) {}
    virtual void StartTickTimer() {}
    virtual void StopTickTimer() {}
    virtual void ShowClock(const std::string& /*text*/) {}
    virtual MonitorRect CurrentWorkArea() const { return {}; }
};

// The console's life: the ordered start-up (which brings the session up),
// the tick, the exit checks and the teardown, run through the registered
// parts of the program.
class Console {
public:
    Console(Session& session, Registry& registry, const Clock& clock, ConsoleView& view);

    // Parts join in start-up order, before Start.
    void AddPart(ConsolePart& part) { parts_.push_back(&part); }

    // Runs the start-up sequence. False means the process ends at once
    // with exit code 0.
    bool Start(const std::string& commandLine);
    void Tick() { tick_.Run(); }
    // The exit checks; true when the window may close.
    bool Exit();
    void Teardown();

    MainTick& tick() { return tick_; }
    bool shuttingDown() const { return shuttingDown_; }

private:
    bool StartParts(StartStep step);
    bool ExitParts(ExitStep step);

    Session& session_;
    Registry& registry_;
    ConsoleView& view_;
    std::vector<ConsolePart*> parts_;
    MainTick tick_;
    bool shuttingDown_ = false;
};

}  // namespace tamberline
