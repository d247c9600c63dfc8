#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tamberline {

// The one thread that owns run control. Starts, releases, stops, media
// events and the playback tick are posted from any thread and run here one
// at a time, in the order they were posted, so that no two of them ever
// touch a button at once and the GUI never waits for an engine.
class ControlThread {
public:
    using Command = std::function<void()>;

    ControlThread();
    ~ControlThread();
    ControlThread(const ControlThread&) = delete;
    ControlThread& operator=(const ControlThread&) = delete;

    // Any thread. The queue lock is held only to append.
    void Post(Command command);
    // Runs what is queued, then ends the thread. Posts after it are dropped.
    void Stop();
    bool IsCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }
    // Blocks until everything posted before the call has run (tests, shutdown).
    void Drain();
    // Runs `tick` on this thread every `period` of a steady clock between
    // commands, whatever other threads do. Replaces an earlier tick; an
    // empty function ends it.
    void SetTick(std::chrono::milliseconds period, Command tick);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Command> queue_;
    bool stopping_ = false;
    Command tick_;
    bool tickChanged_ = false;
    std::chrono::milliseconds period_{0};
    std::chrono::steady_clock::time_point nextTick_;
    std::thread thread_;
};

}  // namespace tamberline
