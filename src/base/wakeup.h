#pragma once

#include <semaphore.h>
#include <time.h>

#include <cerrno>

#include <atomic>
#include <chrono>

namespace tamberline {

// Wakes one waiting thread from any thread, the audio and driver threads
// included: Signal never locks or allocates (a POSIX semaphore post), and
// signals given while the waiter is busy fold into one wake.
class Wakeup {
public:
    Wakeup() { sem_init(&semaphore_, 0, 0); }
    ~Wakeup() { sem_destroy(&semaphore_); }
    Wakeup(const Wakeup&) = delete;
    Wakeup& operator=(const Wakeup&) = delete;

    void Signal() noexcept {
        if (!pending_.exchange(true, std::memory_order_acq_rel)) {
            sem_post(&semaphore_);
        }
    }
    // The waiting thread: true when signalled, false after `timeout`.
    bool WaitFor(std::chrono::milliseconds timeout) {
        timespec until{};
        clock_gettime(CLOCK_MONOTONIC, &until);
        const auto ns = until.tv_nsec + std::chrono::nanoseconds(timeout).count();
        until.tv_sec += static_cast<time_t>(ns / 1000000000);
        until.tv_nsec = static_cast<long>(ns % 1000000000);
        while (sem_clockwait(&semaphore_, CLOCK_MONOTONIC, &until) != 0) {
            if (errno != EINTR) {
                return false;
            }
        }
        pending_.store(false, std::memory_order_release);
        return true;
    }

private:
    std::atomic<bool> pending_{false};
    sem_t semaphore_;
};

}  // namespace tamberline
