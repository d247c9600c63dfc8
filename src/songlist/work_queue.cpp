#include "songlist/work_queue.h"

#include <QMetaObject>

namespace tamberline {

WorkQueue::WorkQueue() : worker_([this] { Run(); }) {}

WorkQueue::~WorkQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_one();
    worker_.join();
}

void WorkQueue::Post(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        ++undelivered_;
    }
    wake_.notify_one();
}

void WorkQueue::Clear() {
    std::lock_guard lock(mutex_);
    undelivered_ -= jobs_.size();
    jobs_.clear();
}

size_t WorkQueue::Pending() const {
    std::lock_guard lock(mutex_);
    return undelivered_;
}

void WorkQueue::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) {
            return;
        }
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        Completion done = job();
        lock.lock();
        if (stopping_) {
            return;
        }
        // Queued on this object: Qt drops it when the queue is destroyed
        // before the owner's event loop gets to it.
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done)] {
                {
                    std::lock_guard delivered(mutex_);
                    --undelivered_;
                }
                if (done) {
                    done();
                }
            },
            Qt::QueuedConnection);
    }
}

}  // namespace tamberline
