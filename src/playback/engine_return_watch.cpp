#include "playback/engine_return_watch.h"

namespace tamberline {

EngineReturnWatch::EngineReturnWatch(ProbeFn probe, std::chrono::milliseconds interval)
    : probe_(std::move(probe)), interval_(interval) {}

EngineReturnWatch::~EngineReturnWatch() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void EngineReturnWatch::Arm() {
    {
        std::lock_guard lock(mutex_);
        if (armed_) {
            return;
        }
        armed_ = true;
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_all();
}

bool EngineReturnWatch::TakeReturn() {
    return returned_.exchange(false);
}

void EngineReturnWatch::Run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        wake_.wait(lock, [this] { return quit_ || armed_; });
        if (quit_) {
            break;
        }
        lock.unlock();
        const bool back = probe_();
        lock.lock();
        if (back) {
            armed_ = false;
            returned_ = true;
            continue;
        }
        wake_.wait_for(lock, interval_, [this] { return quit_; });
    }
}

}  // namespace tamberline
