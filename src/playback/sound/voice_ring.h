#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace tamberline::sound {

// Where a stretch of samples in a voice's ring came from. A run lasts up to
// the next mark (or the written end).
struct RunMark {
    uint64_t ringStart = 0;    // ring frame index of the run's first frame
    uint64_t frame = 0;        // frame of the entry's sound at ringStart
    uint32_t generation = 0;   // content generation: every seek starts a new one
    uint16_t entry = 0;        // place in the sentence
    uint16_t slot = 0;         // sub-sound index
    bool endOfStream = false;  // nothing follows; a run without frames
};

// What the mixer is playing, packed so that one atomic carries it whole.
struct HeardPosition {
    uint16_t generation = 0;  // low bits of the content generation
    uint8_t entry = 0;
    uint8_t slot = 0;
    uint32_t frame = 0;

    uint64_t Pack() const {
        return uint64_t{generation} | uint64_t{entry} << 16 | uint64_t{slot} << 24 |
               uint64_t{frame} << 32;
    }
    static HeardPosition Unpack(uint64_t v) {
        return {static_cast<uint16_t>(v), static_cast<uint8_t>(v >> 16),
                static_cast<uint8_t>(v >> 24), static_cast<uint32_t>(v >> 32)};
    }
};

// The decoded read-ahead of one voice and everything its two users share:
// the streaming thread writes frames and marks, the audio callback takes
// them. Indexes only grow; storage positions are indexes masked by capacity.
//
// Dropping read-ahead that no longer fits the play rules ("trim") is a
// handshake: the streamer stores trimAt and bumps trimAsked, then writes
// nothing more to this voice until trimAnswered matches. The mixer, before
// it takes more frames, either cuts `written` and `marksWritten` back to
// trimAt (trimDone) or refuses because it has already taken past it. The
// mixer answers asks at any time, even for an idle voice, so the trim
// counters are never reset: the streamer goes on from the last ask.
struct VoiceRing {
    // Control thread, only while neither side uses the voice.
    void Prepare(int channels, uint64_t capacityFrames, uint64_t markCapacity);

    float* Frame(uint64_t index) { return &samples[(index & frameMask) * channelCount]; }
    RunMark& Mark(uint64_t index) { return marks[index & markMask]; }

    int channelCount = 0;
    uint64_t capacity = 0;
    uint64_t frameMask = 0;
    uint64_t markMask = 0;
    std::vector<float> samples;
    std::vector<RunMark> marks;

    std::atomic<uint64_t> written{0};
    std::atomic<uint64_t> taken{0};
    std::atomic<uint64_t> marksWritten{0};
    std::atomic<uint64_t> marksFreed{0};

    std::atomic<uint64_t> trimAt{0};
    std::atomic<uint32_t> trimAsked{0};
    std::atomic<uint32_t> trimAnswered{0};
    std::atomic<bool> trimDone{false};

    // Published by the mixer.
    std::atomic<uint64_t> heard{0};
    std::atomic<uint32_t> endedGeneration{0};  // 0 while playing
    std::atomic<uint32_t> underruns{0};        // since the voice was prepared

    // Set by the streamer: the file could not be read on (an I/O error, not
    // its end). The end-of-stream mark that follows ends the voice.
    std::atomic<bool> readFailed{false};

    // The control thread asks the mixer to stop the use of the voice with
    // this serial. A value, not a queued command, so that a stop can never be
    // lost to a full queue; never reset, so a stale ask names no later use.
    std::atomic<uint32_t> stopSerial{0};

    // Each side sets its flag once it has let go of the voice.
    std::atomic<bool> mixerIdle{true};
    std::atomic<bool> streamerIdle{true};
};

}  // namespace tamberline::sound
