#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "playback/sound/offline_backend.h"
#include "playback/sound/sound_system.h"
#include "support/temp_dir.h"

namespace tamberline::testing {

// The 16-bit value of frame f, channel c in the test files: every frame of
// a file is different, so a sample tells where it came from.
inline int16_t Marker(int64_t frame, int channel) {
    const int v = static_cast<int>(frame % 30000) + 1;
    return static_cast<int16_t>(channel % 2 == 0 ? v : -v);
}
inline float MarkerFloat(int64_t frame, int channel) {
    return static_cast<float>(Marker(frame, channel)) / 32768.0f;
}

// Writes a file through libsndfile: `format` is an SF_FORMAT_* major|sub
// type; the samples are Marker values (scaled to the format).
std::string WriteMarkerFile(const TempDir& dir, const std::string& name, int format, int channels,
                            int rate, int64_t frames);
// A sine of `hz` at `amplitude` on every channel, as floats through libsndfile.
std::string WriteSineFile(const TempDir& dir, const std::string& name, int format, int channels,
                          int rate, int64_t frames, double amplitude, double hz);
// A 16-bit WAV whose samples come from `sample(frame, channel)`.
std::string WriteWav16(const TempDir& dir, const std::string& name, int channels, int rate,
                       int64_t frames, const std::function<int16_t(int64_t, int)>& sample);

// Reads like pread, but waits while the gate is shut and fails once told to.
class GatedReader final : public FileReader {
public:
    ssize_t ReadAt(int fd, void* out, size_t count, int64_t offset) override;
    std::atomic<bool> shut{false};
    std::atomic<int64_t> failFrom{-1};
};

// An initialised SoundSystem on the offline backend: 48 kHz, periods of 256.
class OfflineSound : public ::testing::Test {
protected:
    void SetUp() override;

    // Renders `frames` frames; the result holds all eight speakers, interleaved.
    std::vector<float> Render(int frames);
    // Speaker `speaker` of a rendered block.
    static std::vector<float> Speaker(const std::vector<float>& block, int speaker);

    SoundId Stream(const std::string& path, LoopMode loop = LoopMode::kOff);
    ChannelId Play(SoundId sound, bool paused = false);

    TempDir dir_;
    SoundSystem system_;
    OfflineBackend* offline_ = nullptr;
};

}  // namespace tamberline::testing
