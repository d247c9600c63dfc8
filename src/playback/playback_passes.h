#pragma once

#include <cstdint>
#include <optional>

namespace tamberline {

// When the playback passes of the tick run: fades on every tick with the
// time measured since the last one, clocks and end of play once more than
// 100 ms have passed. Times are steady-clock milliseconds taken as unsigned
// differences, so a late tick never runs a pass twice.
class PlaybackPasses {
public:
    struct Due {
        uint32_t fadeElapsedMs = 0;
        std::optional<uint32_t> clockElapsedMs;  // set when the clock pass is due
    };

    explicit PlaybackPasses(uint32_t now) : lastTick_(now), lastClockTick_(now) {}
    Due Next(uint32_t now);

private:
    uint32_t lastTick_;
    uint32_t lastClockTick_;
};

}  // namespace tamberline
