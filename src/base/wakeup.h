#pragma once

#include <atomic>
#include <chrono>
#include <semaphore>

namespace tamberline {

// Wakes one waiting thread from any thread, the audio and driver threads
// included: Signal never locks or allocates, and signals given while the
// waiter is busy fold into one wake.
class Wakeup {
public:
    void Signal() noexcept {
        if (!pending_.exchange(true, std::memory_order_acq_rel)) {
            semaphore_.release();
        }
    }
    // The waiting thread: true when signalled, false after `timeout`.
    bool WaitFor(std::chrono::milliseconds timeout) {
        if (!semaphore_.try_acquire_for(timeout)) {
            return false;
        }
        pending_.store(false, std::memory_order_release);
        return true;
    }

private:
    std::atomic<bool> pending_{false};
    std::counting_semaphore<> semaphore_{0};
};

}  // namespace tamberline
