#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tamberline {

// One worker thread for slow file work (measuring media, reading lists)
// that the GUI thread must not wait for. A job runs on the worker and
// returns what is to be done with its result; that runs later on the
// thread that owns this object, unless the queue is gone by then.
class WorkQueue final : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void()>;
    using Job = std::function<Completion()>;

    WorkQueue();
    // Drops the jobs not yet begun and waits for the one running.
    ~WorkQueue() override;
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    void Post(Job job);
    // Drops the jobs not yet begun.
    void Clear();
    // Jobs waiting or running, and completions not yet delivered.
    size_t Pending() const;

protected:
    bool event(QEvent* event) override;

private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    size_t undelivered_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace tamberline
