#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/day_clock.h"
#include "triggers/timecode/ltc_decoder.h"
#include "triggers/timecode/timecode_table.h"

namespace tamberline {

class LtcPresence;

// An LTC frame as the reader hands it on: the frame, the decoder's rate and
// when (steady milliseconds) its last bit was heard.
struct LtcArrival {
    LtcFrame frame;
    int rate = 25;
    uint32_t atMs = 0;
};

// The timecode triggers' one owner: follows LTC (lock, jumps, loss), MIDI
// timecode and the local clock, keeps the table built for the rate of the
// source followed, and fires what comes due as start requests. LTC comes
// before MIDI timecode, and the clock serves when neither arrives. A
// linked master fires nothing. One thread only (the control thread).
class TimecodeSources {
public:
    struct Services {
        const Clock& clock;
        LtcPresence& presence;
        std::function<void(std::span<const int> buttons)> requestStarts;
        std::function<void(const std::string& text)> showTimecode;  // status field 15
        std::function<bool()> linkedMaster;
    };
    // Checks without a new LTC second (or a frame of MIDI timecode) after
    // which the source counts as lost.
    static constexpr int kLostChecks = 3;

    explicit TimecodeSources(Services services);

    void SetStartupComplete() { startupComplete_ = true; }
    // The buttons' start times changed.
    void SetStarts(const TimecodeStarts& starts);
    void LtcFrames(std::span<const LtcArrival> frames);
    // The reader went off, or its device was lost.
    void LtcInterrupted();
    void MtcLocked(uint32_t frameCount, int rate);
    void MtcFrame(uint32_t frameCount);
    // Every 20 ms: the sub-second LTC position and its triggers.
    void FrameTick();
    // Every 500 ms: loss of timecode, then the clock.
    void SlowCheck();

    bool ltcLocked() const { return ltcLocked_; }
    bool mtcFollowed() const { return mtcFollowed_; }
    const TimecodeTable& table() const { return table_; }
    // The LTC position now: the last second's frame plus the time since.
    uint32_t LtcPosition() const;

private:
    bool Master() const { return services_.linkedMaster && services_.linkedMaster(); }
    void FollowLtc(const LtcArrival& arrival);
    void LtcUnlock();
    void Locked(uint32_t frame, int rate);
    void Fire();
    void FollowClock();
    void ShowLtcSecond(const LtcFrame& frame, int rate);

    Services services_;
    TimecodeStarts starts_{};
    TimecodeTable table_;
    DayClock dayClock_;
    std::vector<int> due_;
    bool startupComplete_ = false;
    // LTC
    bool ltcLocked_ = false;
    bool ltcReceiving_ = false;
    int ltcRate_ = 25;
    int lastSecond_ = -1;
    int previousSecond_ = -1;
    int previousFrame_ = -1;
    int run_ = 0;  // frames in a row, each the one after the one before
    uint32_t frameBase_ = 0;
    uint32_t anchorMs_ = 0;
    int secondChecks_ = 0;
    int frameChecks_ = 0;
    // MIDI timecode
    bool mtcFollowed_ = false;
    int mtcChecks_ = 0;
};

}  // namespace tamberline
