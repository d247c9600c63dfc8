#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace tamberline {

class TimecodeTriggers;

// Follows MIDI timecode from its quarter frames. Every quarter frame of
// piece 0 or 4 is one frame on; after a complete run of pieces 0..7 the
// whole time is taken at once and compared with the frame count, so a
// time never tears between pieces, any jump is seen and midnight is not
// one. The source locks after more than 8 frames without a break.
// One thread only (the MIDI reader).
class MtcDecoder {
public:
    using ShowFn = std::function<void(const std::string& text)>;

    // `show` writes status field 15; `linkedMaster` says whether this
    // machine only remote-controls another, which fires the triggers.
    MtcDecoder(TimecodeTriggers& triggers, ShowFn show, std::function<bool()> linkedMaster);

    // The data byte of a quarter frame.
    void QuarterFrame(uint8_t data);
    // The 500 ms loss check: more than 3 checks without a quarter frame
    // while running stops following.
    void LossCheck();
    void Reset();

    // Any thread.
    bool running() const { return running_.load(std::memory_order_relaxed); }
    int rate() const { return rate_; }
    uint32_t frameCounter() const { return frameCounter_; }

private:
    struct Time {
        int hours = 0, minutes = 0, seconds = 0, frames = 0, rateCode = 0;
    };
    void FrameTick();
    void Latch();
    bool Assemble(Time& time) const;
    static int RateOf(int code);

    TimecodeTriggers& triggers_;
    ShowFn show_;
    std::function<bool()> linkedMaster_;
    std::array<uint8_t, 8> pieces_{};
    int nextPiece_ = 0;  // the piece that continues the run; -1 after a break
    int rateCode_ = -1;
    int rate_ = 30;
    std::atomic<bool> running_{false};
    uint32_t frameCounter_ = 0;
    int lockTicks_ = 0;
    int lostChecks_ = 0;
    int lastSeconds_ = -1;
};

}  // namespace tamberline
