#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "base/wakeup.h"
#include "triggers/timecode/timecode_sources.h"
#include "triggers/timecode_triggers.h"

namespace tamberline {

class ControlThread;

// The timecode triggers on the control thread: whatever thread a source
// speaks from (LTC reader, MIDI reader, the GUI with new start times), its
// news is posted there, and a ticker of its own drives the 20 ms firing
// and the 500 ms checks, so a blocked window never holds a trigger up.
class TimecodeEngine final : public TimecodeTriggers {
public:
    static constexpr int kFrameTickMs = 20;
    static constexpr int kSlowEvery = 25;  // frame ticks per 500 ms check

    TimecodeEngine(ControlThread& control, TimecodeSources::Services services);
    ~TimecodeEngine() override;
    TimecodeEngine(const TimecodeEngine&) = delete;
    TimecodeEngine& operator=(const TimecodeEngine&) = delete;

    // The ticker runs from Start to Stop.
    void Start();
    void Stop();

    // Any thread.
    void SetStartupComplete();
    void SetStarts(const TimecodeStarts& starts);
    void LtcFrames(std::vector<LtcArrival> frames);
    void LtcInterrupted();
    void PositionCursor(uint32_t frameCount, int framesPerSecond) override;
    void FrameCountReached(uint32_t frameCount) override;
    bool ltcLocked() const { return ltcLocked_->load(std::memory_order_relaxed); }

    // Runs `look` on the control thread after what was posted so far (tests).
    void Inspect(std::function<void(const TimecodeSources&)> look);

private:
    void Post(std::function<void(TimecodeSources&)> work);
    void Ticker();

    ControlThread& control_;
    // Shared with the work still queued on the control thread.
    std::shared_ptr<TimecodeSources> sources_;
    std::shared_ptr<std::atomic<bool>> tickQueued_;
    std::shared_ptr<std::atomic<bool>> ltcLocked_;
    std::atomic<bool> stop_{false};
    Wakeup wake_;
    std::thread ticker_;
};

}  // namespace tamberline
