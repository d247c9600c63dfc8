#include "songlist/work_queue.h"

#include <QCoreApplication>
#include <QEvent>

namespace tamberline {

namespace {

const QEvent::Type kCompletionEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct CompletionEvent final : QEvent {
    explicit CompletionEvent(WorkQueue::Completion completion)
        : QEvent(kCompletionEvent), done(std::move(completion)) {}
    WorkQueue::Completion done;
};

}  // namespace

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
        // Posted to this object: Qt drops it when the queue is destroyed
        // before the owner's event loop gets to it.
        QCoreApplication::postEvent(this, new CompletionEvent(std::move(done)));
    }
}

bool WorkQueue::event(QEvent* event) {
    if (event->type() != kCompletionEvent) {
        return QObject::event(event);
    }
    {
        std::lock_guard lock(mutex_);
        --undelivered_;
    }
    if (const Completion& done = static_cast<CompletionEvent*>(event)->done) {
        done();
    }
    return true;
}

}  // namespace tamberline
