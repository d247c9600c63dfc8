#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tamberline {

// Threads for run control's file work: opening and examining files and
// prerolling media graphs, which may wait for a slow disk, a network share
// or a decoder. A new thread joins when every thread is busy, up to a
// limit, so one stuck file holds up no other.
class IoWorkers {
public:
    static constexpr size_t kMaxThreads = 8;

    IoWorkers() = default;
    // Finishes what was handed over, then ends the threads.
    ~IoWorkers();
    IoWorkers(const IoWorkers&) = delete;
    IoWorkers& operator=(const IoWorkers&) = delete;

    // Any thread. Work handed over after Stop is dropped: false.
    bool Run(std::function<void()> work);
    void Stop();

private:
    void Loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::thread> threads_;
    size_t idle_ = 0;
    bool stopping_ = false;
};

}  // namespace tamberline
