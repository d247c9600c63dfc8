// What a show must never hear: clicks, overs that wrap, cues that start
// apart or drift, stops that get lost, a failing disk taken for an ending.

#include <sndfile.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

// A 440 Hz sine moves by at most 2*pi*440/48000 = 0.058 between samples at
// full scale; a hard cut anywhere but a zero crossing moves by far more.
constexpr float kLargestSineStep = 0.0576f;
constexpr float kClickMargin = 0.01f;

float LargestStep(const std::vector<float>& samples) {
    float largest = 0.0f;
    for (size_t i = 1; i < samples.size(); ++i) {
        largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
    }
    return largest;
}

using ShowSafe = OfflineSound;

TEST_F(ShowSafe, EveryStopPauseSeekAndRestartFadesInsteadOfCutting) {
    enum class Action { kStop, kPause, kPauseAndResume, kSeek, kRestart, kStopAfterQuickPause };
    struct Case {
        const char* name;
        Action action;
    };
    const Case cases[] = {
        {"stop", Action::kStop},
        {"pause", Action::kPause},
        {"pause and resume", Action::kPauseAndResume},
        {"seek", Action::kSeek},
        {"restart", Action::kRestart},
        {"stop as run control does it", Action::kStopAfterQuickPause},
    };
    const std::string path = WriteSineFile(dir_, "sine.wav", kFloat, 1, 48000, 96000, 1.0, 440.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundId sound = Stream(path);
        const ChannelId ch = Play(sound);
        // Near the crest, where a cut is loudest.
        std::vector<float> heard = Speaker(Render(1027), 0);
        switch (c.action) {
            case Action::kStop: ASSERT_EQ(system_.ReleaseSound(sound), SoundResult::kOk); break;
            case Action::kPause: ASSERT_EQ(system_.SetPaused(ch, true), SoundResult::kOk); break;
            case Action::kPauseAndResume:
                ASSERT_EQ(system_.SetPaused(ch, true), SoundResult::kOk);
                for (float v : Speaker(Render(700), 0)) {
                    heard.push_back(v);
                }
                ASSERT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
                break;
            case Action::kSeek:
                ASSERT_EQ(system_.SetPosition(ch, 30011, TimeUnit::kPcm), SoundResult::kOk);
                break;
            case Action::kRestart: {
                ChannelId again;
                ASSERT_EQ(system_.PlaySound(sound, false, again), SoundResult::kOk);
                break;
            }
            case Action::kStopAfterQuickPause:
                ASSERT_EQ(system_.SetVolume(ch, kSilentVolume), SoundResult::kOk);
                ASSERT_EQ(system_.SetPaused(ch, true), SoundResult::kOk);
                ASSERT_EQ(system_.ReleaseSound(sound), SoundResult::kOk);
                break;
        }
        for (float v : Speaker(Render(2000), 0)) {
            heard.push_back(v);
        }
        EXPECT_LE(LargestStep(heard), kLargestSineStep + kClickMargin);
        system_.ReleaseSound(sound);
        Render(512);
    }
}

TEST_F(ShowSafe, APauseTakesEffectAfterItsFadeAndResumesFromThere) {
    const ChannelId ch = Play(Stream(WriteMarkerFile(dir_, "m.wav", kWav16, 1, 48000, 48000)));
    Render(256);
    ASSERT_EQ(system_.SetPaused(ch, true), SoundResult::kOk);
    const std::vector<float> fade = Speaker(Render(512), 0);
    EXPECT_NE(fade[100], 0.0f) << "still fading";
    EXPECT_EQ(fade[300], 0.0f) << "paused after a few milliseconds";
    uint32_t position = 0;
    ASSERT_EQ(system_.GetPosition(ch, position, TimeUnit::kPcm), SoundResult::kOk);
    EXPECT_NEAR(position, 256.0 + 240.0, 2.0) << "the fade is the last thing heard";
    ASSERT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
    const std::vector<float> back = Speaker(Render(512), 0);
    const double frame = std::round(back[400] * 32768.0) - 1.0;
    EXPECT_NEAR(frame, position + 400.0, 2.0) << "on from where it paused";
}

TEST_F(ShowSafe, FullScaleCuesTogetherNeverGoPastFullScale) {
    const std::string path = WriteSineFile(dir_, "loud.wav", kFloat, 2, 48000, 4800, 1.0, 50.0);
    const ChannelId a = Play(Stream(path), true);
    const ChannelId b = Play(Stream(path), true);
    const std::array<float, kSpeakerCount> sixteen{16, 16, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(system_.SetSpeakerMix(a, sixteen), SoundResult::kOk);
    ASSERT_EQ(system_.StartTogether({a, b}), SoundResult::kOk);
    const std::vector<float> out = Render(4800);
    float peak = 0.0f;
    for (float v : out) {
        ASSERT_TRUE(std::isfinite(v));
        peak = std::max(peak, std::abs(v));
    }
    EXPECT_EQ(peak, 1.0f) << "clipped at full scale, never wrapped past it";
}

TEST_F(ShowSafe, AStopIsNeverLostToAFullCommandQueue) {
    const SoundId sound =
        Stream(WriteSineFile(dir_, "sine.wav", kFloat, 1, 48000, 48000, 0.5, 440.0));
    const ChannelId ch = Play(sound);
    Render(256);
    SoundResult r = SoundResult::kOk;
    for (int i = 0; i < 10000 && r == SoundResult::kOk; ++i) {
        r = system_.SetVolume(ch, 0.5f);
    }
    ASSERT_EQ(r, SoundResult::kErrCommandQueueFull);
    ASSERT_EQ(system_.ReleaseSound(sound), SoundResult::kOk);
    Render(512);
    for (float v : Render(256)) {
        ASSERT_EQ(v, 0.0f);
    }
}

TEST_F(ShowSafe, EightChannelsStartedTogetherStartOnTheSameFrame) {
    // Decoding on threads, through a slow disk, so that the channels are
    // ready at different times.
    auto backend = std::make_unique<OfflineBackend>(48000, 256, true);
    OfflineBackend* device = backend.get();
    SoundSystem system;
    ASSERT_EQ(system.SetOutputBackend(std::move(backend)), SoundResult::kOk);
    ASSERT_EQ(system.Init(64), SoundResult::kOk);
    auto reader = std::make_shared<GatedReader>();
    system.SetFileReader(reader);
    std::vector<SoundId> sounds(kSpeakerCount);
    for (int s = 0; s < kSpeakerCount; ++s) {
        ASSERT_EQ(system.CreateStream(WriteMarkerFile(dir_, "m" + std::to_string(s) + ".wav",
                                                      kWav16, 1, 48000, 48000),
                                      LoopMode::kOff, sounds[static_cast<size_t>(s)]),
                  SoundResult::kOk);
    }
    reader->shut = true;  // opened; nothing decoded yet
    std::vector<ChannelId> channels;
    for (SoundId sound : sounds) {
        const int s = static_cast<int>(channels.size());
        ChannelId ch;
        ASSERT_EQ(system.PlaySound(sound, true, ch), SoundResult::kOk);
        std::array<float, kSpeakerCount> mix{};
        mix[static_cast<size_t>(s)] = 1.0f;
        ASSERT_EQ(system.SetSpeakerMix(ch, mix), SoundResult::kOk);
        channels.push_back(ch);
    }
    ASSERT_EQ(system.StartTogether(channels), SoundResult::kOk);
    std::vector<float> out;
    std::vector<float> block(256 * kSpeakerCount);
    for (int period = 0; period < 400; ++period) {
        ASSERT_TRUE(device->Mix(block.data(), 256));
        out.insert(out.end(), block.begin(), block.end());
        if (period == 5) {
            reader->shut = false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const size_t frames = out.size() / kSpeakerCount;
    std::vector<size_t> first(kSpeakerCount, frames);
    for (int s = 0; s < kSpeakerCount; ++s) {
        for (size_t i = 0; i < frames; ++i) {
            if (out[i * kSpeakerCount + static_cast<size_t>(s)] != 0.0f) {
                first[static_cast<size_t>(s)] = i;
                break;
            }
        }
    }
    EXPECT_GT(first[0], 5u * 256u) << "nothing plays before the disk answers";
    EXPECT_LT(first[0], frames);
    for (int s = 1; s < kSpeakerCount; ++s) {
        EXPECT_EQ(first[static_cast<size_t>(s)], first[0]) << "speaker " << s;
    }
}

// A disk that stops answering while cues play: short stalls are covered by
// the read-ahead; long ones starve the voices, which then skip on so that
// they keep time with the output and with each other.
TEST_F(ShowSafe, AStalledDiskLosesNoCueAndNoVoiceDrifts) {
    struct Case {
        int stallMs;
        bool underruns;
    };
    const Case cases[] = {{300, false}, {3500, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stallMs);
        auto backend = std::make_unique<OfflineBackend>(48000, 256, true);
        OfflineBackend* device = backend.get();
        SoundSystem system;
        ASSERT_EQ(system.SetOutputBackend(std::move(backend)), SoundResult::kOk);
        ASSERT_EQ(system.Init(64), SoundResult::kOk);
        auto reader = std::make_shared<GatedReader>();
        system.SetFileReader(reader);
        const std::string path = WriteMarkerFile(dir_, "long.wav", kWav16, 2, 48000, 48000 * 8);
        constexpr int kVoices = 4;
        std::vector<ChannelId> channels;
        for (int v = 0; v < kVoices; ++v) {
            SoundId sound;
            ASSERT_EQ(system.CreateStream(path, LoopMode::kOff, sound), SoundResult::kOk);
            ChannelId ch;
            ASSERT_EQ(system.PlaySound(sound, true, ch), SoundResult::kOk);
            std::array<float, kSpeakerCount> mix{};
            mix[static_cast<size_t>(2 * v)] = 1.0f;  // left channel alone
            ASSERT_EQ(system.SetSpeakerMix(ch, mix), SoundResult::kOk);
            channels.push_back(ch);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // read-ahead fills
        ASSERT_EQ(system.StartTogether(channels), SoundResult::kOk);

        std::vector<float> out;
        std::vector<float> block(256 * kSpeakerCount);
        auto mix = [&](int periods, int sleepMs) {
            for (int p = 0; p < periods; ++p) {
                ASSERT_TRUE(device->Mix(block.data(), 256));
                out.insert(out.end(), block.begin(), block.end());
                std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
            }
        };
        SoundId late;
        ASSERT_EQ(system.CreateStream(path, LoopMode::kOff, late), SoundResult::kOk);
        mix(20, 0);
        reader->shut = true;
        ChannelId lateChannel;
        ASSERT_EQ(system.PlaySound(late, false, lateChannel), SoundResult::kOk);
        std::array<float, kSpeakerCount> lateMix{};
        lateMix[1] = 1.0f;
        ASSERT_EQ(system.SetSpeakerMix(lateChannel, lateMix), SoundResult::kOk);
        mix(c.stallMs * 48 / 256, 0);
        reader->shut = false;
        mix(300, 1);

        const size_t frames = out.size() / kSpeakerCount;
        size_t start = frames;
        for (size_t i = 0; i < frames && start == frames; ++i) {
            if (out[i * kSpeakerCount] != 0.0f) {
                start = i;
            }
        }
        ASSERT_LT(start, frames);
        // Every voice says, sample by sample, which frame of the file it plays.
        for (int v = 0; v < kVoices; ++v) {
            int late = 0;
            int checked = 0;
            for (size_t i = frames - 2000; i < frames; ++i) {
                const float heard = out[i * kSpeakerCount + static_cast<size_t>(2 * v)];
                checked += heard != 0.0f;
                late += heard != 0.0f && heard != MarkerFloat(static_cast<int64_t>(i - start), 0);
            }
            EXPECT_EQ(checked, 2000) << "voice " << v << " plays at the end";
            EXPECT_EQ(late, 0) << "voice " << v << " keeps time";
            uint32_t underruns = 0;
            ASSERT_EQ(system.GetUnderruns(channels[static_cast<size_t>(v)], underruns),
                      SoundResult::kOk);
            EXPECT_EQ(underruns > 0, c.underruns) << "voice " << v;
        }
        float lateHeard = 0.0f;
        for (size_t i = frames - 2000; i < frames; ++i) {
            lateHeard = std::max(lateHeard, std::abs(out[i * kSpeakerCount + 1]));
        }
        EXPECT_GT(lateHeard, 0.0f) << "the cue started during the stall plays";
    }
}

TEST_F(ShowSafe, AReadErrorEndsTheChannelAsAFailureNotAnEnding) {
    const std::string path = WriteMarkerFile(dir_, "m.wav", kWav16, 2, 48000, 48000);
    const ChannelId whole = Play(Stream(path));
    auto reader = std::make_shared<GatedReader>();
    system_.SetFileReader(reader);
    const SoundId failingSound = Stream(path);
    reader->failFrom = 44 + 4 * 20000;
    const ChannelId failing = Play(failingSound);
    Render(48000 + 1024);
    bool playing = true;
    EXPECT_EQ(system_.IsPlaying(whole, playing), SoundResult::kOk);
    EXPECT_FALSE(playing);
    EXPECT_EQ(system_.IsPlaying(failing, playing), SoundResult::kErrFileRead);
    EXPECT_FALSE(playing);
}

TEST_F(ShowSafe, ADeviceWithFourOutputsSaysSo) {
    SoundSystem system;
    ASSERT_EQ(system.SetOutputBackend(std::make_unique<OfflineBackend>(48000, 256, false, 4)),
              SoundResult::kOk);
    ASSERT_EQ(system.Init(8), SoundResult::kOk);
    EXPECT_EQ(system.OutputChannels(), 4);
}

}  // namespace
}  // namespace tamberline::testing
