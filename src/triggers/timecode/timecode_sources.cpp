#include "triggers/timecode/timecode_sources.h"

#include <algorithm>
#include <cstdio>

#include "triggers/ltc_presence.h"

namespace tamberline {

namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kLockRun = 2;

// Whether (s, f) is the frame after (ps, pf): drop-frame timecode leaves
// out frames 0 and 1 at most minutes.
bool FollowsOn(int ps, int pf, int s, int f) {
    if (s == ps) {
        return f == pf + 1;
    }
    return s == (ps + 1) % kSecondsPerDay && f <= 2 && pf >= 23;
}

}  // namespace

TimecodeSources::TimecodeSources(Services services) : services_(std::move(services)) {}

void TimecodeSources::SetStarts(const TimecodeStarts& starts) {
    starts_ = starts;
    const int rate = ltcLocked_ ? ltcRate_ : (mtcFollowed_ ? table_.rate() : 0);
    table_.Rebuild(Master() ? TimecodeStarts{} : starts_, rate);
    if (ltcLocked_) {
        table_.PositionByFrame(LtcPosition());
    } else if (!mtcFollowed_) {
        const LocalTimeOfDay t = services_.clock.LocalTime();
        table_.PositionBySecond(t.second + 60 * (t.minute + 60 * t.hour));
    }
    // Under MIDI timecode the next frame places the cursor.
}

void TimecodeSources::Locked(uint32_t frame, int rate) {
    // Frame values of one rate mean nothing at another.
    if (table_.rate() != rate) {
        table_.Rebuild(Master() ? TimecodeStarts{} : starts_, rate);
    }
    if (!Master()) {
        table_.PositionByFrame(frame);
    }
}

void TimecodeSources::LtcFrames(std::span<const LtcArrival> frames) {
    for (const LtcArrival& arrival : frames) {
        FollowLtc(arrival);
    }
}

void TimecodeSources::FollowLtc(const LtcArrival& arrival) {
    services_.presence.NoteFrame();
    mtcFollowed_ = false;  // LTC comes first
    ltcReceiving_ = true;
    frameChecks_ = 0;
    if (arrival.rate != ltcRate_) {
        // The decoder took another rate: follow afresh.
        LtcInterrupted();
        ltcRate_ = arrival.rate;
    }
    const int s = arrival.frame.SecondOfDay();
    const int f = arrival.frame.FrameNumber();
    // A frame the decoder's rate cannot have proves nothing until the
    // decoder has taken the signal's rate.
    run_ =
        f < arrival.rate && previousSecond_ >= 0 && FollowsOn(previousSecond_, previousFrame_, s, f)
            ? run_ + 1
            : 1;
    previousSecond_ = s;
    previousFrame_ = f;
    if (s == lastSecond_) {
        return;  // frames within a second only prove the signal
    }
    secondChecks_ = 0;
    const bool jumped = ltcLocked_ && s != (lastSecond_ + 1) % kSecondsPerDay;
    lastSecond_ = s;
    if (jumped) {
        LtcUnlock();
        return;
    }
    frameBase_ = static_cast<uint32_t>(s * ltcRate_ + std::min(f, ltcRate_ - 1));
    anchorMs_ = arrival.atMs;
    if (ltcLocked_) {
        if (startupComplete_) {
            ShowLtcSecond(arrival.frame, ltcRate_);
        }
        return;
    }
    // A lock needs frames that follow on, which noise never gives.
    if (run_ >= kLockRun) {
        ltcLocked_ = true;
        services_.presence.SetLocked(true);
        Locked(frameBase_, ltcRate_);
    }
}

void TimecodeSources::ShowLtcSecond(const LtcFrame& frame, int rate) {
    char text[48];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d   %dfps", frame.Hours(), frame.Minutes(),
                  frame.Seconds(), rate);
    std::string shown = text;
    if (rate == 30) {
        shown += frame.DropFrame() ? " DF" : " ND";
    }
    shown += " SMPTE ";
    services_.showTimecode(shown);
}

void TimecodeSources::LtcUnlock() {
    ltcLocked_ = false;
    run_ = 0;
    services_.presence.SetLocked(false);
}

void TimecodeSources::LtcInterrupted() {
    LtcUnlock();
    lastSecond_ = -1;
    previousSecond_ = -1;
}

uint32_t TimecodeSources::LtcPosition() const {
    const uint32_t elapsed = services_.clock.TickCount() - anchorMs_;
    const uint64_t frames = uint64_t{elapsed} * static_cast<uint64_t>(ltcRate_) / 1000;
    return frameBase_ +
           static_cast<uint32_t>(std::min<uint64_t>(frames, static_cast<uint64_t>(ltcRate_ - 1)));
}

void TimecodeSources::FrameTick() {
    if (!ltcLocked_ || !startupComplete_ || Master()) {
        return;
    }
    due_.clear();
    table_.FireFrame(LtcPosition(), due_);
    Fire();
}

void TimecodeSources::Fire() {
    if (!due_.empty() && services_.requestStarts) {
        services_.requestStarts(due_);
    }
}

void TimecodeSources::MtcLocked(uint32_t frameCount, int rate) {
    if (ltcLocked_ || services_.presence.present().load()) {
        return;
    }
    mtcFollowed_ = true;
    mtcChecks_ = 0;
    Locked(frameCount, rate);
}

void TimecodeSources::MtcFrame(uint32_t frameCount) {
    if (ltcLocked_ || services_.presence.present().load() || !mtcFollowed_) {
        return;
    }
    mtcChecks_ = 0;
    if (!startupComplete_ || Master()) {
        return;
    }
    due_.clear();
    table_.FireFrame(frameCount, due_);
    Fire();
}

void TimecodeSources::SlowCheck() {
    if (ltcLocked_ && ++secondChecks_ > kLostChecks) {
        LtcUnlock();
        services_.presence.ReaderDisabled();
        services_.showTimecode("");
        dayClock_.Resync();
    }
    if (ltcReceiving_ && ++frameChecks_ > kLostChecks) {
        ltcReceiving_ = false;
        lastSecond_ = -1;
        dayClock_.Resync();
    }
    if (mtcFollowed_ && ++mtcChecks_ > kLostChecks) {
        mtcFollowed_ = false;
        dayClock_.Resync();
    }
    if (!ltcLocked_ && !ltcReceiving_ && !mtcFollowed_ && startupComplete_) {
        FollowClock();
    }
}

void TimecodeSources::FollowClock() {
    const DayClock::Step step = dayClock_.Next(services_.clock.LocalTime());
    if (!step.newSecond || Master()) {
        return;
    }
    if (step.jumped) {
        // Back on the clock: start times count as times of day again.
        if (table_.rate() != 0) {
            table_.Rebuild(starts_, 0);
        }
        table_.PositionBySecond(step.secondOfDay);
        return;
    }
    due_.clear();
    table_.FireSecond(step.secondOfDay, due_);
    Fire();
}

}  // namespace tamberline
