#include "triggers/timecode/timecode_engine.h"

#include <chrono>

#include "playback/control_thread.h"

namespace tamberline {

TimecodeEngine::TimecodeEngine(ControlThread& control, TimecodeSources::Services services)
    : control_(control),
      sources_(std::make_shared<TimecodeSources>(std::move(services))),
      tickQueued_(std::make_shared<std::atomic<bool>>(false)),
      ltcLocked_(std::make_shared<std::atomic<bool>>(false)) {}

TimecodeEngine::~TimecodeEngine() {
    Stop();
}

void TimecodeEngine::Start() {
    if (ticker_.joinable()) {
        return;
    }
    stop_.store(false);
    ticker_ = std::thread([this] { Ticker(); });
}

void TimecodeEngine::Stop() {
    if (!ticker_.joinable()) {
        return;
    }
    stop_.store(true);
    wake_.Signal();
    ticker_.join();
}

void TimecodeEngine::Post(std::function<void(TimecodeSources&)> work) {
    control_.Post([sources = sources_, work = std::move(work)] { work(*sources); });
}

// Steady periods: a late tick does not move the next one. A tick not yet
// run when the next is due is not posted again, so a stalled control
// thread finds one tick waiting, not a backlog.
void TimecodeEngine::Ticker() {
    auto next = std::chrono::steady_clock::now();
    int count = 0;
    while (!stop_.load()) {
        next += std::chrono::milliseconds(kFrameTickMs);
        const auto wait = next - std::chrono::steady_clock::now();
        if (wait > std::chrono::steady_clock::duration::zero()) {
            wake_.WaitFor(std::chrono::duration_cast<std::chrono::milliseconds>(wait));
        } else {
            next = std::chrono::steady_clock::now();
        }
        if (stop_.load()) {
            break;
        }
        const bool slow = ++count % kSlowEvery == 0;
        if (!slow && tickQueued_->exchange(true)) {
            continue;
        }
        control_.Post([sources = sources_, queued = tickQueued_, locked = ltcLocked_, slow] {
            queued->store(false);
            sources->FrameTick();
            if (slow) {
                sources->SlowCheck();
            }
            locked->store(sources->ltcLocked(), std::memory_order_relaxed);
        });
    }
}

void TimecodeEngine::SetStartupComplete() {
    Post([](TimecodeSources& s) { s.SetStartupComplete(); });
}

void TimecodeEngine::SetStarts(const TimecodeStarts& starts) {
    Post([starts](TimecodeSources& s) { s.SetStarts(starts); });
}

void TimecodeEngine::LtcFrames(std::vector<LtcArrival> frames) {
    Post([frames = std::move(frames)](TimecodeSources& s) { s.LtcFrames(frames); });
}

void TimecodeEngine::LtcInterrupted() {
    Post([](TimecodeSources& s) { s.LtcInterrupted(); });
}

void TimecodeEngine::PositionCursor(uint32_t frameCount, int framesPerSecond) {
    Post([frameCount, framesPerSecond](TimecodeSources& s) {
        s.MtcLocked(frameCount, framesPerSecond);
    });
}

void TimecodeEngine::FrameCountReached(uint32_t frameCount) {
    Post([frameCount](TimecodeSources& s) { s.MtcFrame(frameCount); });
}

void TimecodeEngine::Inspect(std::function<void(const TimecodeSources&)> look) {
    Post([look = std::move(look)](TimecodeSources& s) { look(s); });
    control_.Drain();
}

}  // namespace tamberline
