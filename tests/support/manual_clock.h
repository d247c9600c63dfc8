#pragma once

#include "base/clock.h"

namespace tamberline::testing {

// A clock the test moves by hand.
class ManualClock final : public Clock {
public:
    uint32_t TickCount() const override { return ms_; }
    LocalTimeOfDay LocalTime() const override { return time_; }

    void Advance(uint32_t ms) { ms_ += ms; }
    void SetTickCount(uint32_t ms) { ms_ = ms; }
    void SetLocalTime(int h, int m, int s) { time_ = {h, m, s}; }

private:
    uint32_t ms_ = 1000;
    LocalTimeOfDay time_;
};

}  // namespace tamberline::testing
