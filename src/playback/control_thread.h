#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
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

    // Any thread. The queue lock is held only to append. Returns the
    // command's place in the order of posting (0 when dropped).
    uint64_t Post(Command command);
    // The place of the command posted last: something posted after a
    // command of one's own shows here.
    uint64_t LastPosted();
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
    uint64_t posted_ = 0;
    Command tick_;
    bool tickChanged_ = false;
    std::chrono::milliseconds period_{0};
    std::chrono::steady_clock::time_point nextTick_;
    std::thread thread_;
};

}  // namespace tamberline
