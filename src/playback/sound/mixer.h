#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/spsc_ring.h"
#include "playback/sound/sound_types.h"

namespace tamberline::sound {

struct VoiceRing;

// What the control thread tells the audio callback about one voice.
struct MixCommand {
    enum class Kind : uint8_t {
        kStart,          // generation, serial, channels, paused, ratio
        kPause,          // paused
        kJoinGroup,      // group: held paused until the group's kStartGroup
        kStartGroup,     // group: its members unpause together, once all are primed
        kVolume,         // volume
        kFrequency,      // ratio
        kSpeakerMix,     // levels
        kSpeakerLevels,  // speaker, levels (count of them)
        kSeek,           // generation: frames of older generations are dropped
    };
    Kind kind = Kind::kPause;
    uint16_t voice = 0;
    uint32_t generation = 0;
    uint32_t serial = 0;  // names this use of the voice: a stop asks for it
    uint32_t group = 0;
    int32_t channels = 0;
    int32_t speaker = 0;
    int32_t count = 0;
    bool paused = false;
    float volume = 0.0f;
    double ratio = 1.0;
    std::array<float, kSpeakerCount> levels{};
};

// The audio callback's half of the engine: takes decoded frames from each
// voice's ring, resamples them (frequency over output rate, so sample rate
// and varispeed are one ratio), applies volume and the speaker matrix and
// adds them onto eight speakers. Never locks, allocates or blocks.
//
// Nothing is ever cut hard: a pause, stop, seek or underrun takes effect
// after a short fade (kDeclickSeconds), and a voice heard before comes back
// with a fade-in; volume changes ramp over the same time, carried across
// blocks. The bus is clamped to full scale and cleared of NaN on its way out.
//
// An underrun is counted on the voice's ring; while starved the voice keeps
// time, and once frames arrive again it skips to where it would have been, so
// voices that started together stay together.
//
// Resampling is a four-point cubic (Catmull-Rom) on a 32.32 fixed-point
// phase: it runs in the callback so that a frequency change is heard in the
// next period and positions stay whole frames of the sound; at ratio 1 it
// passes samples through unchanged.
class Mixer {
public:
    // Process may be called with any number of frames; it works in blocks.
    static constexpr int kBlockFrames = 256;
    static constexpr double kDeclickSeconds = 0.005;
    // Frames the interpolator looks at: x-1, x0, x1, x2.
    static constexpr int kWindow = 4;

    Mixer(VoiceRing* rings, int voiceCount);
    // Before the first Process: the rate the device plays at.
    void SetOutputRate(int rate);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Control thread. False when the queue is full.
    bool Post(const MixCommand& command) { return commands_.Push(command); }
    bool HasRoom(int count) const { return commands_.HasRoom(static_cast<size_t>(count)); }

    // Audio thread (or the offline caller): commands, answers to the
    // streamer, dropping stale frames. Process does this first.
    void Service() noexcept;
    // Audio thread: `frames` frames of `channels` interleaved floats.
    void Process(float* out, int channels, int frames) noexcept;

private:
    struct Tap {
        int in = 0;
        int out = 0;
        float level = 0.0f;
    };
    struct Voice {
        bool active = false;
        bool paused = true;
        bool ended = false;
        bool heard = false;     // frames of it have been played: fade in when it resumes
        bool started = false;   // playing since the last start, seek or underrun
        bool starving = false;  // underrun: keeping time until frames arrive
        // What waits for the fade-out under way to reach silence.
        bool pausePending = false;
        bool stopPending = false;
        bool seekPending = false;
        bool underrunPending = false;
        uint32_t pendingGeneration = 0;
        uint32_t generation = 0;
        uint32_t serial = 0;
        uint32_t group = 0;  // held for a group start
        int channels = 0;
        float volume = 1.0f;  // as set
        float gain = 1.0f;    // applied now
        float rampTarget = 1.0f;
        float rampStep = 0.0f;
        int rampLeft = 0;
        uint64_t resumeAt = 0;              // starving: ring index of x0 when the fade ended
        uint64_t owed = 0;                  // starving: 32.32 input frames since then
        uint64_t step = uint64_t{1} << 32;  // 32.32 input frames per output frame
        uint64_t phase = 0;                 // 0.32 between x0 and x1
        std::array<std::array<float, kSpeakerCount>, kMaxSoundChannels> matrix{};
        std::array<Tap, kSpeakerCount * kMaxSoundChannels> taps{};
        int tapCount = 0;
        // x-1, x0, x1, x2: x0 is the frame being heard.
        std::array<float, 4 * kMaxSoundChannels> window{};
        int primeLeft = 3;  // frames to take before x0 is the first frame
        int padFrom = 4;    // first window frame past the end of the stream (4: none)
        uint64_t taken = 0;
        uint64_t runMark = 0;   // mark of the run being taken from
        uint64_t playMark = 0;  // mark of the run holding x0
    };

    void Apply(const MixCommand& command) noexcept;
    static float AudibleVolume(float volume) noexcept;
    void Pause(Voice& voice, bool paused) noexcept;
    void Seek(Voice& voice, uint32_t generation) noexcept;
    void FadeOut(Voice& voice) noexcept;
    static bool FadingOut(const Voice& voice) noexcept;
    void CheckStop(int index) noexcept;
    void Finish(Voice& voice, VoiceRing& ring) noexcept;
    void StartGroups() noexcept;
    bool Primed(Voice& voice, VoiceRing& ring) noexcept;
    void FadeTo(Voice& voice, float target, int frames) noexcept;
    bool Audible(const Voice& voice) const noexcept;
    bool Recover(Voice& voice, VoiceRing& ring, int frames) noexcept;
    uint64_t FramesAhead(const Voice& voice, int frames) const noexcept;
    void Skip(Voice& voice, VoiceRing& ring, uint64_t count) noexcept;
    void End(Voice& voice, VoiceRing& ring) noexcept;
    void ApplyGain(Voice& voice, float* out, int produced) noexcept;
    void AnswerTrim(int index) noexcept;
    void DropStale(Voice& voice, VoiceRing& ring) noexcept;
    uint64_t Readable(Voice& voice, VoiceRing& ring, uint64_t limit, bool& atEnd) noexcept;
    void Take(Voice& voice, VoiceRing& ring, float* out, uint64_t count) noexcept;
    bool Prime(Voice& voice, VoiceRing& ring) noexcept;
    void Render(Voice& voice, VoiceRing& ring, int frames) noexcept;
    void Publish(Voice& voice, VoiceRing& ring) noexcept;
    static void ResetPlayback(Voice& voice) noexcept;
    static void SetSpeakerMix(Voice& voice,
                              const std::array<float, kSpeakerCount>& levels) noexcept;
    static void RebuildTaps(Voice& voice) noexcept;

    VoiceRing* rings_;
    std::vector<Voice> voices_;
    SpscRing<MixCommand> commands_;
    std::vector<float> bus_;
    std::vector<float> input_;
    std::vector<float> voiceOut_;
    int declickFrames_ = 240;
    std::vector<uint32_t> groupsToStart_;
};

}  // namespace tamberline::sound
