#include "app/run_control_part.h"

#include <cstdio>

#include "app/console_run_control.h"
#include "base/message_box.h"
#include "session/session.h"

namespace tamberline {

bool RunControlPart::Start(StartStep step) {
    if (step == StartStep::kStartWorker) {
        run_.controller().StartTicking();
    }
    return true;
}

int RunControlPart::FirstRunningButton() {
    int running = nextRunning_(0);
    while (running >= 0 && running < kButtonCount &&
           !IsAssigned(session_.records()[static_cast<size_t>(running)])) {
        running = nextRunning_(running + 1);
    }
    return running;
}

bool RunControlPart::Exit(ExitStep step) {
    if (step == ExitStep::kAskRunning) {
        const int running = FirstRunningButton();
        if (running < 0 || running >= kButtonCount) {
            return true;
        }
        char text[96];
        std::snprintf(text, sizeof text, "Button %d is running.\nSure you want to exit?",
                      running + 1);
        return box_.Show(text, mb::kYesNo) == kResultYes;
    }
    if (step == ExitStep::kStopAll) {
        run_.StopAll();
        run_.controller().Drain();
    }
    return true;
}

void RunControlPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kStartWorker) {
        run_.controller().SetShuttingDown();
        run_.controller().Shutdown();
    }
}

}  // namespace tamberline
