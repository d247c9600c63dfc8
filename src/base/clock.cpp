#include "base/clock.h"

#include <chrono>
#include <ctime>

namespace tamberline {

uint32_t SystemClock::TickCount() const {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

LocalTimeOfDay SystemClock::LocalTime() const {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_hour, parts.tm_min, parts.tm_sec};
}

}  // namespace tamberline
