#pragma once

#include "base/clock.h"

namespace tamberline {

// Follows the local clock second by second. A new second that is not the
// one after the last (start, a clock change, daylight saving, a stall) is
// a jump: the second of the day is taken afresh from the clock.
class DayClock {
public:
    static constexpr int kSecondsPerDay = 86400;

    struct Step {
        bool newSecond = false;
        bool jumped = false;
        int secondOfDay = 0;
    };

    Step Next(const LocalTimeOfDay& t) {
        if (t.second == lastSecond_) {
            return {};
        }
        const int local = t.second + 60 * (t.minute + 60 * t.hour);
        const bool jumped = lastSecond_ == kResync || local != (secondOfDay_ + 1) % kSecondsPerDay;
        secondOfDay_ = local;
        lastSecond_ = t.second;
        return {true, jumped, local};
    }
    // The next second is a jump (a timecode source was lost).
    void Resync() { lastSecond_ = kResync; }
    int secondOfDay() const { return secondOfDay_; }

private:
    static constexpr int kResync = -2;
    int lastSecond_ = kResync;
    int secondOfDay_ = 0;
};

}  // namespace tamberline
