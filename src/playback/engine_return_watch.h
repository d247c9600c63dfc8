#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tamberline {

// Notices that a lost engine's device may be back. A JACK server that
// returns sends no device notice of its own, so while the engine is lost a
// thread of its own asks for one twice a second (asking can wait on a
// server that hangs: never on the GUI thread); its answer becomes a device
// change, and the hardware check builds the outputs again.
class EngineReturnWatch {
public:
    using ProbeFn = std::function<bool()>;
    explicit EngineReturnWatch(ProbeFn probe,
                               std::chrono::milliseconds interval = std::chrono::milliseconds(500));
    ~EngineReturnWatch();
    EngineReturnWatch(const EngineReturnWatch&) = delete;
    EngineReturnWatch& operator=(const EngineReturnWatch&) = delete;

    // Starts asking, unless it already does.
    void Arm();
    // True once for each time the probe answered after Arm; asking then stops.
    bool TakeReturn();

private:
    void Run();

    const ProbeFn probe_;
    const std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool quit_ = false;
    std::atomic<bool> returned_{false};
    std::thread thread_;
};

}  // namespace tamberline
