// Playing streams on the offline backend, checked sample by sample.

#include <sndfile.h>

#include <algorithm>

#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

using SoundPlay = OfflineSound;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

TEST_F(SoundPlay, AStreamPlaysEveryFrameOnceThenEnds) {
    const int64_t frames = 1000;
    const ChannelId ch = Play(Stream(WriteMarkerFile(dir_, "a.wav", kWav16, 2, 48000, frames)));
    const std::vector<float> out = Render(1280);
    for (int64_t i = 0; i < 1280; ++i) {
        const float left = i < frames ? MarkerFloat(i, 0) : 0.0f;
        const float right = i < frames ? MarkerFloat(i, 1) : 0.0f;
        ASSERT_EQ(out[static_cast<size_t>(i) * 8 + 0], left) << i;
        ASSERT_EQ(out[static_cast<size_t>(i) * 8 + 1], right) << i;
        for (int s = 2; s < 8; ++s) {
            ASSERT_EQ(out[static_cast<size_t>(i) * 8 + static_cast<size_t>(s)], 0.0f);
        }
    }
    bool playing = true;
    EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    EXPECT_FALSE(playing);
    float volume = 0;
    EXPECT_EQ(system_.GetVolume(ch, volume), SoundResult::kErrChannelStopped);
}

TEST_F(SoundPlay, APausedChannelIsSilentAndStartsInTheNextPeriod) {
    const ChannelId ch =
        Play(Stream(WriteMarkerFile(dir_, "a.wav", kWav16, 2, 48000, 48000)), true);
    for (float v : Render(512)) {
        ASSERT_EQ(v, 0.0f);
    }
    bool playing = false;
    EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    EXPECT_TRUE(playing) << "a paused channel still plays";
    ASSERT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
    const std::vector<float> out = Render(256);
    EXPECT_EQ(out[0], MarkerFloat(0, 0)) << "the first frame of the next period, unfaded";
}

TEST_F(SoundPlay, VolumeRampsOverFiveMillisecondsAndTheSilentLevelIsExactSilence) {
    const std::string path =
        WriteWav16(dir_, "dc.wav", 1, 48000, 48000, [](int64_t, int) -> int16_t { return 16384; });
    const ChannelId ch = Play(Stream(path), true);
    ASSERT_EQ(system_.SetVolume(ch, 0.00001f), SoundResult::kOk);
    ASSERT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
    for (float v : Render(256)) {
        ASSERT_EQ(v, 0.0f);
    }
    float volume = 0;
    EXPECT_EQ(system_.GetVolume(ch, volume), SoundResult::kOk);
    EXPECT_FLOAT_EQ(volume, 0.00001f) << "kept for fades that work in decibels";

    ASSERT_EQ(system_.SetVolume(ch, 1.0f), SoundResult::kOk);
    const std::vector<float> ramp = Speaker(Render(256), 0);
    for (int k = 0; k < 256; ++k) {
        EXPECT_NEAR(ramp[static_cast<size_t>(k)],
                    0.5f * static_cast<float>(std::min(k + 1, 240)) / 240.0f, 1e-5f);
    }
    EXPECT_EQ(Speaker(Render(256), 0)[100], 0.5f);
}

// Routing of a stereo sound onto the channel pairs the way the run control
// does it: clear the mix, then the left level to speaker 2p and the right
// level to speaker 2p+1.
TEST_F(SoundPlay, SpeakerLevelsRouteAStereoSoundToOnePair) {
    const std::string path = WriteMarkerFile(dir_, "a.wav", kWav16, 2, 48000, 4800);
    for (int pair = 0; pair < 4; ++pair) {
        const ChannelId ch = Play(Stream(path), true);
        ASSERT_EQ(system_.SetSpeakerMix(ch, {}), SoundResult::kOk);
        const float left[2] = {0.75f, 0.0f};
        const float right[2] = {0.0f, 0.25f};
        ASSERT_EQ(system_.SetSpeakerLevels(ch, 2 * pair, left, 2), SoundResult::kOk);
        ASSERT_EQ(system_.SetSpeakerLevels(ch, 2 * pair + 1, right, 2), SoundResult::kOk);
        ASSERT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
        const std::vector<float> out = Render(256);
        for (size_t i = 0; i < 256; ++i) {
            for (int s = 0; s < 8; ++s) {
                float expected = 0.0f;
                if (s == 2 * pair) {
                    expected = 0.75f * MarkerFloat(static_cast<int64_t>(i), 0);
                } else if (s == 2 * pair + 1) {
                    expected = 0.25f * MarkerFloat(static_cast<int64_t>(i), 1);
                }
                ASSERT_FLOAT_EQ(out[i * 8 + static_cast<size_t>(s)], expected)
                    << "pair " << pair << " speaker " << s << " frame " << i;
            }
        }
        ASSERT_EQ(system_.SetPaused(ch, true), SoundResult::kOk);
        Render(256);  // its fade-out
    }
}

TEST_F(SoundPlay, SpeakerMixFeedsMonoEverywhereAndManyChannelsOneToOne) {
    struct Case {
        int channels;
        std::array<float, 8> mix;
        // expected source channel per speaker, -1 for silence
        std::array<int, 8> source;
    };
    const Case cases[] = {
        {1, {1, 0.5f, 0, 0, 0, 0, 0, 0.25f}, {0, 0, -1, -1, -1, -1, -1, 0}},
        {2, {1, 1, 0, 0, 1, 1, 0, 0}, {0, 1, -1, -1, 0, 1, -1, -1}},
        {6, {0.5f, 0.5f, 1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5, -1, -1}},
    };
    for (const Case& c : cases) {
        const std::string path =
            WriteWav16(dir_, "m" + std::to_string(c.channels) + ".wav", c.channels, 48000, 1000,
                       [](int64_t i, int ch) -> int16_t {
                           return static_cast<int16_t>(100 * (ch + 1) + i % 7);
                       });
        const ChannelId ch = Play(Stream(path), true);
        ASSERT_EQ(system_.SetSpeakerMix(ch, c.mix), SoundResult::kOk);
        ASSERT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
        const std::vector<float> out = Render(16);
        for (int s = 0; s < 8; ++s) {
            const int from = c.source[static_cast<size_t>(s)];
            const float expected = from < 0
                                       ? 0.0f
                                       : c.mix[static_cast<size_t>(s)] *
                                             static_cast<float>(100 * (from + 1) + 3) / 32768.0f;
            EXPECT_FLOAT_EQ(out[3 * 8 + static_cast<size_t>(s)], expected)
                << c.channels << " channels, speaker " << s;
        }
        ASSERT_EQ(system_.SetPaused(ch, true), SoundResult::kOk);
        Render(256);  // its fade-out
    }
}

TEST_F(SoundPlay, FrequencyChangesSpeedAndPitchTogether) {
    // A ramp, so that interpolated values are exact.
    const std::string path = WriteWav16(dir_, "ramp.wav", 1, 48000, 2000,
                                        [](int64_t i, int) { return static_cast<int16_t>(i * 8); });
    const auto at = [](double frame) { return static_cast<float>(frame * 8.0 / 32768.0); };

    const ChannelId fast = Play(Stream(path), true);
    ASSERT_EQ(system_.SetFrequency(fast, 96000.0f), SoundResult::kOk);
    ASSERT_EQ(system_.SetPaused(fast, false), SoundResult::kOk);
    std::vector<float> out = Speaker(Render(1024), 0);
    for (int k = 0; k < 999; ++k) {
        ASSERT_FLOAT_EQ(out[static_cast<size_t>(k)], at(2.0 * k)) << k;
    }
    EXPECT_EQ(out[1000], 0.0f) << "twice as fast ends after half the frames";

    const ChannelId slow = Play(Stream(path), true);
    ASSERT_EQ(system_.SetFrequency(slow, 24000.0f), SoundResult::kOk);
    float frequency = 0;
    EXPECT_EQ(system_.GetFrequency(slow, frequency), SoundResult::kOk);
    EXPECT_EQ(frequency, 24000.0f);
    ASSERT_EQ(system_.SetPaused(slow, false), SoundResult::kOk);
    out = Speaker(Render(1024), 0);
    for (int k = 2; k < 1024; ++k) {
        ASSERT_NEAR(out[static_cast<size_t>(k)], at(0.5 * k), 1e-6) << k;
    }
    uint32_t position = 0;
    EXPECT_EQ(system_.GetPosition(slow, position, TimeUnit::kPcm), SoundResult::kOk);
    EXPECT_EQ(position, 512u) << "position counts frames of the sound";
}

TEST_F(SoundPlay, A44100FileLastsItsOwnTimeAt48000) {
    const ChannelId ch = Play(Stream(
        WriteWav16(dir_, "cd.wav", 2, 44100, 44100, [](int64_t, int) -> int16_t { return 1000; })));
    float frequency = 0;
    EXPECT_EQ(system_.GetFrequency(ch, frequency), SoundResult::kOk);
    EXPECT_EQ(frequency, 44100.0f);
    const std::vector<float> out = Speaker(Render(48256), 0);
    EXPECT_NE(out[47990], 0.0f);
    EXPECT_EQ(out[48010], 0.0f) << "one second of sound takes one second";
    bool playing = true;
    EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    EXPECT_FALSE(playing);
}

}  // namespace
}  // namespace tamberline::testing
