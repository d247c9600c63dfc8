#include "playback/sound/media_length.h"

#include <algorithm>

#include "playback/sound/sound_system.h"

namespace tamberline {

namespace {
constexpr uint32_t kStep = 500;
constexpr uint32_t kLongest = 2147483500;  // the last multiple of 500 an int32 holds
}  // namespace

int32_t AudioEngineMediaLength(const std::string& path) {
    SoundSystem engine;
    SoundId sound;
    uint32_t ms = 0;
    uint32_t frames = 0;
    if (engine.SetOutput(OutputType::kOffline) != SoundResult::kOk ||
        engine.Init(1) != SoundResult::kOk ||
        engine.CreateStream(path, LoopMode::kOff, sound) != SoundResult::kOk ||
        engine.GetLength(sound, TimeUnit::kMs, ms) != SoundResult::kOk ||
        engine.GetLength(sound, TimeUnit::kPcm, frames) != SoundResult::kOk) {
        return 0;
    }
    // A sound shorter than a millisecond still plays: it must not read as "unplayable".
    if (ms == 0 && frames > 0) {
        ms = 1;
    }
    const uint64_t rounded = (uint64_t{ms} + kStep - 1) / kStep * kStep;
    return static_cast<int32_t>(std::min<uint64_t>(rounded, kLongest));
}

}  // namespace tamberline
