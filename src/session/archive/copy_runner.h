#pragma once

#include <functional>
#include <string>

#include "session/archive/copy_engine.h"

namespace tamberline {

class CopyControl;

using CopyWork = std::function<CopyOutcome(CopyControl&)>;

// Runs a copy off the calling thread and shows its progress until it ends.
// The program shows the progress dialog (Cancel, Esc and Enter cancel);
// tests and tools wait without a window.
class CopyRunner {
public:
    virtual ~CopyRunner() = default;
    // `work` runs on a thread of its own; `fileDone`, when given, runs on
    // the caller's thread once for every file the work reports complete.
    virtual CopyOutcome Run(const std::string& caption, const CopyWork& work,
                            const std::function<void()>& fileDone = {}) = 0;
};

// Runs the work on a worker thread and waits for it, looking every few
// milliseconds for completed files. `onStart` sees the control first
// (tests cancel through it).
class WaitingCopyRunner final : public CopyRunner {
public:
    explicit WaitingCopyRunner(std::function<void(CopyControl&)> onStart = {},
                               size_t blockBytes = 8u << 20)
        : onStart_(std::move(onStart)), blockBytes_(blockBytes) {}
    CopyOutcome Run(const std::string& caption, const CopyWork& work,
                    const std::function<void()>& fileDone = {}) override;
    const std::string& lastCaption() const { return lastCaption_; }

private:
    std::function<void(CopyControl&)> onStart_;
    size_t blockBytes_;
    std::string lastCaption_;
};

}  // namespace tamberline
