#include "app/console.h"

#include "session/registry.h"
#include "session/session.h"

namespace tamberline {

namespace {

template <typename Step>
constexpr Step Next(Step step) {
    return static_cast<Step>(static_cast<int>(step) + 1);
}

}  // namespace

Console::Console(Session& session, Registry& registry, const Clock& clock, ConsoleView& view)
    : session_(session),
      registry_(registry),
      view_(view),
      tick_(clock, parts_, [this](const std::string& text) { view_.ShowClock(text); }) {}

bool Console::StartParts(StartStep step) {
    for (ConsolePart* part : parts_) {
        if (!part->Start(step)) {
            return false;
        }
    }
    return true;
}

bool Console::ExitParts(ExitStep step) {
    for (ConsolePart* part : parts_) {
        if (!part->Exit(step)) {
            return false;
        }
    }
    return true;
}

bool Console::Start(const std::string& commandLine) {
    view_.ShowHeaderMessage(" Writing kernel microcode ");
    view_.SetWaitCursor(true);
    for (StartStep step = StartStep::kMediaLibrary; step <= StartStep::kStatus; step = Next(step)) {
        switch (step) {
            case StartStep::kHostAddress: view_.ShowHeaderMessage(" Loading session "); break;
            case StartStep::kSession:
                session_.RestoreAtStartup(commandLine);
                view_.ShowHeaderMessage("");
                break;
            case StartStep::kStatus: tick_.SetStartupComplete(); break;
            default: break;
        }
        if (!StartParts(step)) {
            view_.SetWaitCursor(false);
            return false;
        }
    }
    view_.SetWaitCursor(false);
    tick_.SetEnabled(true);
    view_.StartTickTimer();
    return true;
}

bool Console::Exit() {
    for (ExitStep step = ExitStep::kAskRunning; step <= ExitStep::kClosePorts; step = Next(step)) {
        switch (step) {
            case ExitStep::kConfirmDiscard:
                if (!session_.ConfirmDiscard(false)) {
                    return false;
                }
                break;
            case ExitStep::kStopTick:
                tick_.SetEnabled(false);
                shuttingDown_ = true;
                view_.StopTickTimer();
                break;
            default: break;
        }
        if (!ExitParts(step)) {
            return false;
        }
    }
    return true;
}

void Console::Teardown() {
    for (TeardownStep step = TeardownStep::kGamePorts; step <= TeardownStep::kLinkSocket;
         step = Next(step)) {
        for (ConsolePart* part : parts_) {
            part->Teardown(step);
        }
    }
    registry_.SetString(settings::kMonitor, FormatMonitorValue(view_.CurrentWorkArea()));
}

}  // namespace tamberline
