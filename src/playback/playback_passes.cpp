#include "playback/playback_passes.h"

namespace tamberline {

namespace {
constexpr uint32_t kClockPassMs = 100;
}  // namespace

PlaybackPasses::Due PlaybackPasses::Next(uint32_t now) {
    Due due;
    due.fadeElapsedMs = now - lastTick_;
    lastTick_ = now;
    if (now - lastClockTick_ > kClockPassMs) {
        due.clockElapsedMs = now - lastClockTick_;
        lastClockTick_ = now;
    }
    return due;
}

}  // namespace tamberline
