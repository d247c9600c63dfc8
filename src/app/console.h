#pragma once

#include <string>

#include "app/clock.h"
#include "app/console_parts.h"
#include "app/main_tick.h"
#include "app/message_box.h"
#include "app/monitor_placement.h"

namespace tamberline {

class Registry;
class Session;

// What the console's window does for the core: header line, cursor, timer,
// and the work area it covers.
class ConsoleView {
public:
    virtual ~ConsoleView() = default;
    virtual void ShowHeaderMessage(const std::string& /*text*/) {}
    virtual void SetWaitCursor(bool /*wait*/) {}
    virtual void StartTickTimer() {}
    virtual void StopTickTimer() {}
    virtual MonitorRect CurrentWorkArea() const { return {}; }
};

// The console's life: the ordered start-up (which brings the session up),
// the tick, the exit checks and the teardown, and the program-wide flags of
// the main window.
class Console {
public:
    Console(MessageBox& box, Session& session, Registry& registry, const Clock& clock,
            ConsoleParts& parts, ConsoleView& view);

    // Runs the start-up sequence. False means the process ends at once
    // with exit code 0.
    bool Start(const std::string& commandLine);
    void Tick() { tick_.Run(); }
    // The exit checks; true when the window may close.
    bool Exit();
    void Teardown();

    MainTick& tick() { return tick_; }
    bool touchScreen() const { return touchScreen_; }
    bool shuttingDown() const { return shuttingDown_; }
    const std::string& hostAddress() const { return hostAddress_; }

private:
    void OpenEnabledPorts();

    MessageBox& box_;
    Session& session_;
    Registry& registry_;
    ConsoleParts& parts_;
    ConsoleView& view_;
    MainTick tick_;
    bool touchScreen_ = false;
    bool shuttingDown_ = false;
    std::string hostAddress_;
};

}  // namespace tamberline
