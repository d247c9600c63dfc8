#pragma once

// The control thread's records behind sound and channel handles; shared by
// the files that implement SoundSystem.

#include <memory>
#include <vector>

#include "playback/sound/play_program.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

struct SoundSystem::SoundObject {
    std::shared_ptr<sound::SoundSource> source;  // null for a user stream
    bool isUser = false;
    int channels = 0;
    int sampleRate = 0;
    SoundFormatInfo format;
    LoopMode loop = LoopMode::kOff;
    std::vector<SoundId> subSounds;  // user stream: its slots
    std::vector<int> sentence;
    bool hasSentence = false;
    SoundId parent;  // the user stream whose slot this fills
    int voice = -1;  // the voice playing it
};

struct SoundSystem::ChannelSlot {
    enum class State { kFree, kPlaying, kStopping };
    State state = State::kFree;
    uint32_t serial = 0;           // tells reuses of the voice apart in ChannelIds
    uint32_t generation = 0;       // content generation, bumped by every seek
    uint32_t firstGeneration = 0;  // generation at PlaySound
    SoundId sound;
    bool paused = true;
    float volume = 1.0f;
    float frequency = 0.0f;
    LoopMode loop = LoopMode::kOff;
    uint64_t loopStart = 0;
    uint64_t loopEnd = 0;
    int loopCount = -1;
    sound::PlayCursor seekCursor;  // where the last start or seek put it
    bool untouched = true;         // paused ever since: nothing of it heard
};

// Decoded ahead per voice, in seconds of the sound at its own rate: a slow
// read (a disk spinning up, a network share) of up to this long is not heard.
inline constexpr int kRingSeconds = 2;
inline constexpr uint64_t kRingMarks = 512;

}  // namespace tamberline
