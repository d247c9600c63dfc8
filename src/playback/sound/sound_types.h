#pragma once

#include <cstdint>

namespace tamberline {

// What every SoundSystem operation returns. Callers treat anything but kOk
// as failure; the finer codes are for logs and tests.
enum class SoundResult : int {
    kOk = 0,
    kErrInvalidParam,      // a value out of range, or a call that makes no sense for this object
    kErrInvalidHandle,     // no such sound or channel (released, or its channel was reused)
    kErrFileNotFound,      // the path names no readable file
    kErrFileBad,           // cannot be decoded: empty, truncated, absurd sizes, unknown format
    kErrFormat,            // decodes, but in a shape the mixer does not play (channels, rate)
    kErrUninitialized,     // the call needs Init first
    kErrInitialized,       // the call is only allowed before Init
    kErrOutput,            // no such driver, or the device would not open or start
    kErrOutputLost,        // the device stopped while in use; Close and Init again
    kErrChannelAlloc,      // every channel is in use
    kErrChannelStopped,    // the channel has ended: its sound finished or was released
    kErrCommandQueueFull,  // the mixer is not taking commands (its device has stalled)
    kErrFileRead           // the file could not be read on while it played (an I/O error)
};

// Handle of a sound; 0 names none.
struct SoundId {
    uint32_t value = 0;
    explicit operator bool() const { return value != 0; }
    friend bool operator==(SoundId, SoundId) = default;
};

// Handle of a channel; it stops naming anything once the channel's voice is
// reused for another sound.
struct ChannelId {
    uint32_t value = 0;
    explicit operator bool() const { return value != 0; }
    friend bool operator==(ChannelId, ChannelId) = default;
};

enum class TimeUnit {
    kMs,
    kPcm,       // sample frames of the sound
    kSubSound,  // GetPosition only: index of the sub-sound being heard
};

enum class LoopMode { kOff, kNormal };

// The mixer always mixes eight speakers: four pairs, "ASIO 1+2" .. "ASIO 7+8".
// In stereo mode only the first pair reaches the device.
enum class SpeakerMode { kStereo, kSevenPointOne };

enum class OutputType {
    kPortAudio,  // JACK and ALSA devices
    kOffline,    // no device: renders into memory when asked (tests, measurements)
};

enum class SoundType { kUnknown, kWav, kAiff, kFlac, kOgg, kMpeg, kRaw, kUser };

// Sample format of the stored data. 8-bit PCM is unsigned, as WAV stores it.
enum class SoundFormat { kNone, kPcm8, kPcm16, kPcm24, kPcm32, kPcmFloat, kCompressed };

struct SoundFormatInfo {
    SoundType type = SoundType::kUnknown;
    SoundFormat format = SoundFormat::kNone;
    int channels = 0;
    int bits = 0;  // 0 for compressed data
};

// A stretch of a file played as headerless samples: exactly `length` bytes
// from `fileOffset` (a trailing part frame is not played).
struct RawStreamInfo {
    int64_t fileOffset = 0;
    int64_t length = 0;
    int channels = 0;
    int sampleRate = 0;
    SoundFormat format = SoundFormat::kPcm16;
};

// A stream without data of its own whose sub-sounds play in its place.
struct UserStreamInfo {
    int channels = 0;
    int sampleRate = 0;
    SoundFormat format = SoundFormat::kPcm16;
    int subSoundCount = 0;
};

inline constexpr int kSpeakerCount = 8;
inline constexpr int kMaxSoundChannels = 8;
inline constexpr int kMaxSubSounds = 255;
inline constexpr int kMaxMixChannels = 4095;
// Volumes at or below this are played as exact silence.
inline constexpr float kSilentVolume = 0.00001f;
// Channel frequency over output rate; beyond it the read-ahead cannot keep up.
inline constexpr double kMaxRateRatio = 16.0;

}  // namespace tamberline
