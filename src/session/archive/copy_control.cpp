#include "session/archive/copy_control.h"

namespace tamberline {

void CopyControl::StartFile(int number, int count, const std::string& name) {
    std::lock_guard lock(mutex_);
    view_.line1 = "Copying file " + std::to_string(number) + " of " + std::to_string(count) + ".";
    view_.line2 = name;
    view_.permille = 0;
}

void CopyControl::SetFileProgress(uint64_t done, uint64_t total) {
    {
        std::lock_guard lock(mutex_);
        view_.permille =
            total == 0 ? 1000 : static_cast<int>(done >= total ? 1000 : done * 1000 / total);
    }
    if (blockHook_) {
        blockHook_(*this);
    }
}

void CopyControl::FileCompleted() {
    std::lock_guard lock(mutex_);
    ++view_.filesCompleted;
}

void CopyControl::Finish() {
    std::lock_guard lock(mutex_);
    view_.finished = true;
}

CopyProgressView CopyControl::Snapshot() const {
    std::lock_guard lock(mutex_);
    return view_;
}

}  // namespace tamberline
