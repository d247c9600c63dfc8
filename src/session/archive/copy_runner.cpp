#include "session/archive/copy_runner.h"

#include <chrono>
#include <thread>

#include "session/archive/copy_control.h"

namespace tamberline {

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(5);

CopyOutcome RunOnWorker(CopyControl& control, const CopyWork& work,
                        const std::function<void()>& poll) {
    CopyOutcome outcome;
    std::thread worker([&] {
        outcome = work(control);
        control.Finish();
    });
    while (!control.Snapshot().finished) {
        if (poll) {
            poll();
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    worker.join();
    if (poll) {
        poll();
    }
    return outcome;
}

}  // namespace

CopyOutcome WaitingCopyRunner::Run(const std::string& caption, const CopyWork& work,
                                   const std::function<void()>& fileDone) {
    lastCaption_ = caption;
    CopyControl control(blockBytes_);
    if (onStart_) {
        onStart_(control);
    }
    size_t seen = 0;
    return RunOnWorker(control, work, [&] {
        const size_t done = control.Snapshot().filesCompleted;
        for (; seen < done; ++seen) {
            if (fileDone) {
                fileDone();
            }
        }
    });
}

}  // namespace tamberline
