#pragma once

#include <cstdint>

namespace tamberline {

struct LocalTimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// One source of time for the whole program so that tests can drive ticks,
// midnight and clock jumps without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a steady clock; wraps like a 32-bit tick count, so
    // callers take unsigned differences.
    virtual uint32_t TickCount() const = 0;
    virtual LocalTimeOfDay LocalTime() const = 0;
};

class SystemClock final : public Clock {
public:
    uint32_t TickCount() const override;
    LocalTimeOfDay LocalTime() const override;
};

}  // namespace tamberline
