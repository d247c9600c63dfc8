#include "playback/io_workers.h"

namespace tamberline {

IoWorkers::~IoWorkers() {
    Stop();
}

bool IoWorkers::Run(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return false;
        }
        queue_.push_back(std::move(work));
        if (idle_ < queue_.size() && threads_.size() < kMaxThreads) {
            threads_.emplace_back([this] { Loop(); });
        }
    }
    wake_.notify_one();
    return true;
}

void IoWorkers::Stop() {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        threads.swap(threads_);
    }
    wake_.notify_all();
    for (std::thread& thread : threads) {
        thread.join();
    }
}

void IoWorkers::Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        --idle_;
        if (queue_.empty()) {
            return;  // stopping, and nothing left
        }
        std::function<void()> work = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        work();
        lock.lock();
    }
}

}  // namespace tamberline
