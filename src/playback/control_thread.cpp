#include "playback/control_thread.h"

#include <future>

namespace tamberline {

ControlThread::ControlThread() : thread_([this] { Run(); }) {}

ControlThread::~ControlThread() {
    Stop();
}

void ControlThread::Post(Command command) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        queue_.push_back(std::move(command));
    }
    wake_.notify_one();
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
    }
    wake_.notify_one();
    finished.wait();
}

void ControlThread::Run() {
    for (;;) {
        Command command;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            command = std::move(queue_.front());
            queue_.pop_front();
        }
        command();
    }
}

}  // namespace tamberline
