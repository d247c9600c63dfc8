#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace tamberline {

// What the progress dialog shows of a running copy.
struct CopyProgressView {
    std::string line1;  // "Copying file %d of %d."
    std::string line2;  // the file's name
    int permille = 0;   // of the file being copied
    size_t filesCompleted = 0;
    bool finished = false;
};

// Between the thread that copies and the one that shows the progress:
// the worker reports, the window reads snapshots and may cancel. Every
// call is safe from either thread, and none waits for I/O.
class CopyControl {
public:
    // How much is moved between two looks at the cancel flag.
    explicit CopyControl(size_t blockBytes = 8u << 20) : blockBytes_(blockBytes) {}

    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    size_t blockBytes() const { return blockBytes_; }

    // The worker's side.
    void StartFile(int number, int count, const std::string& name);
    void SetFileProgress(uint64_t done, uint64_t total);
    void FileCompleted();
    void Finish();

    CopyProgressView Snapshot() const;

    // Called on the worker after every block; tests use it to cancel or to
    // fill the disk at a known point.
    void SetBlockHook(std::function<void(CopyControl&)> hook) { blockHook_ = std::move(hook); }

private:
    const size_t blockBytes_;
    std::atomic<bool> cancelled_{false};
    std::function<void(CopyControl&)> blockHook_;
    mutable std::mutex mutex_;
    CopyProgressView view_;
};

}  // namespace tamberline
