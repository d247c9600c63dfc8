#include "triggers/midi/mtc_decoder.h"

#include <cstdio>

#include "triggers/timecode_triggers.h"

namespace tamberline {

namespace {

constexpr int kLockTicks = 8;
constexpr int kLostChecks = 3;
constexpr int kSecondsPerDay = 86400;
constexpr const char* kRateTexts[] = {" 24fps MTC ", " 25fps MTC ", " 30DF MTC ", " 30ND MTC "};

}  // namespace

MtcDecoder::MtcDecoder(TimecodeTriggers& triggers, ShowFn show, std::function<bool()> linkedMaster)
    : triggers_(triggers), show_(std::move(show)), linkedMaster_(std::move(linkedMaster)) {}

void MtcDecoder::Reset() {
    nextPiece_ = -1;
    rateCode_ = -1;
    running_ = false;
    lockTicks_ = 0;
    lostChecks_ = 0;
    lastSeconds_ = -1;
}

int MtcDecoder::RateOf(int code) {
    switch (code) {
        case 0: return 24;
        case 1: return 25;
        default: return 30;  // drop-frame is counted as whole frames too
    }
}

void MtcDecoder::QuarterFrame(uint8_t data) {
    if (data & 0x80) {
        return;
    }
    lostChecks_ = 0;
    const int piece = data >> 4;
    pieces_[static_cast<size_t>(piece)] = data & 0x0F;
    // A run counts only when its pieces come in order from piece 0 on.
    nextPiece_ = (piece == 0 || piece == nextPiece_) ? piece + 1 : -1;
    if (piece == 0 || piece == 4) {
        FrameTick();
    }
    if (piece == 7 && nextPiece_ == 8) {
        Latch();
    }
}

void MtcDecoder::FrameTick() {
    if (!running_) {
        ++lockTicks_;
        return;
    }
    // The count runs round at midnight as the time does.
    frameCounter_ = (frameCounter_ + 1) % static_cast<uint32_t>(kSecondsPerDay * rate_);
    if (!linkedMaster_ || !linkedMaster_()) {
        triggers_.FrameCountReached(frameCounter_);
    }
}

bool MtcDecoder::Assemble(Time& t) const {
    t.frames = pieces_[0] | ((pieces_[1] & 1) << 4);
    t.seconds = pieces_[2] | ((pieces_[3] & 3) << 4);
    t.minutes = pieces_[4] | ((pieces_[5] & 3) << 4);
    t.hours = pieces_[6] | ((pieces_[7] & 1) << 4);
    t.rateCode = (pieces_[7] >> 1) & 3;
    return t.frames < RateOf(t.rateCode) && t.seconds < 60 && t.minutes < 60 && t.hours < 24;
}

// After piece 7: the time the run carried is that of its piece 0, two
// frames ago, so the count now stands one frame past it (piece 4 ticked).
void MtcDecoder::Latch() {
    Time t;
    if (!Assemble(t)) {
        return;
    }
    if (t.rateCode != rateCode_) {
        rateCode_ = t.rateCode;
        rate_ = RateOf(t.rateCode);
        running_ = false;
        lockTicks_ = 0;
    }
    const uint32_t second = static_cast<uint32_t>(t.seconds + 60 * t.minutes + 3600 * t.hours);
    const uint32_t dayFrames = static_cast<uint32_t>(kSecondsPerDay * rate_);
    const uint32_t expected = (static_cast<uint32_t>(t.frames) + second * rate_ + 1) % dayFrames;
    if (running_) {
        if (frameCounter_ != expected) {
            // A jump: follow afresh once the time is steady again.
            running_ = false;
            lockTicks_ = 0;
            return;
        }
        if (t.seconds != lastSeconds_) {
            char text[32];
            std::snprintf(text, sizeof text, " %02d:%02d:%02d ", t.hours, t.minutes, t.seconds);
            show_(std::string(text) + kRateTexts[t.rateCode]);
            lastSeconds_ = t.seconds;
        }
        return;
    }
    if (lockTicks_ > kLockTicks) {
        running_ = true;
        lockTicks_ = 0;
        frameCounter_ = expected;
        lastSeconds_ = t.seconds;
        if (!linkedMaster_ || !linkedMaster_()) {
            triggers_.PositionCursor(frameCounter_, rate_);
        }
    }
}

void MtcDecoder::LossCheck() {
    if (running_ && ++lostChecks_ > kLostChecks) {
        running_ = false;
        lostChecks_ = 0;
        lockTicks_ = 0;
        show_("");
    }
}

}  // namespace tamberline
