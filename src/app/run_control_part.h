#pragma once

#include <functional>

#include "base/console_part.h"

namespace tamberline {

class ConsoleRunControl;
class MessageBox;
class Session;

// Run control as a console part: its control thread ticks from the end of
// start-up; exit asks about a running button and stops everything; the
// thread ends at teardown.
class RunControlPart final : public ConsolePart {
public:
    // The first button, from the given one on, whose media graph runs, or -1.
    using NextRunningFn = std::function<int(int from)>;

    RunControlPart(ConsoleRunControl& run, Session& session, MessageBox& box,
                   NextRunningFn nextRunning)
        : run_(run), session_(session), box_(box), nextRunning_(std::move(nextRunning)) {}

    bool Start(StartStep step) override;
    bool Exit(ExitStep step) override;
    void Teardown(TeardownStep step) override;

private:
    // The first assigned button whose media graph runs, or -1.
    int FirstRunningButton();

    ConsoleRunControl& run_;
    Session& session_;
    MessageBox& box_;
    NextRunningFn nextRunning_;
};

}  // namespace tamberline
