#include "playback/control_thread.h"

#include <future>

namespace tamberline {

ControlThread::ControlThread() : thread_([this] { Run(); }) {}

ControlThread::~ControlThread() {
    Stop();
}

uint64_t ControlThread::Post(Command command) {
    uint64_t place = 0;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return 0;
        }
        queue_.push_back(std::move(command));
        place = ++posted_;
    }
    wake_.notify_one();
    return place;
}

uint64_t ControlThread::LastPosted() {
    std::lock_guard lock(mutex_);
    return posted_;
}

void ControlThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ControlThread::Drain() {
    if (IsCurrent()) {
        return;
    }
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        queue_.push_back([&done] { done.set_value(); });
        ++posted_;
    }
    wake_.notify_one();
    finished.wait();
}

void ControlThread::SetTick(std::chrono::milliseconds period, Command tick) {
    {
        std::lock_guard lock(mutex_);
        tick_ = std::move(tick);
        tickChanged_ = true;
        period_ = period;
        nextTick_ = std::chrono::steady_clock::now() + period;
    }
    wake_.notify_one();
}

void ControlThread::Run() {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        Command command;
        {
            std::unique_lock lock(mutex_);
            // A new tick wakes a thread that waited without one.
            const auto ready = [this] { return stopping_ || !queue_.empty() || tickChanged_; };
            if (tick_) {
                wake_.wait_until(lock, nextTick_, ready);
            } else {
                wake_.wait(lock, ready);
            }
            tickChanged_ = false;
            if (queue_.empty() && stopping_) {
                return;
            }
            if (tick_ && Clock::now() >= nextTick_) {
                // A late tick is not run twice: the next one is a period on.
                nextTick_ += period_;
                if (nextTick_ <= Clock::now()) {
                    nextTick_ = Clock::now() + period_;
                }
                command = tick_;
            } else if (!queue_.empty()) {
                command = std::move(queue_.front());
                queue_.pop_front();
            } else {
                continue;
            }
        }
        command();
    }
}

}  // namespace tamberline
