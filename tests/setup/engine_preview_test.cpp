// The button setup's preview on the audio engine's pairs, played on the
// offline engine: the test is the control thread's tick and the device.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "playback/engine_preview.h"
#include "playback/engine_voice.h"
#include "playback/graph/output_list.h"
#include "playback/output_table.h"
#include "session/run_log.h"
#include "setup/output_preview.h"
#include "setup/setup_preview.h"
#include "sound/sound_test_support.h"

namespace tamberline::testing {
namespace {

constexpr int kTickFrames = 480;  // 10 ms at 48 kHz

class EnginePreviewTest : public OfflineSound {
protected:
    void SetUp() override {
        OfflineSound::SetUp();
        for (int pair = 0; pair < 4; ++pair) {
            const std::string name =
                "ASIO " + std::to_string(2 * pair + 1) + "+" + std::to_string(2 * pair + 2);
            table_.entries.push_back({name, name, true, true});
        }
        table_.entries.push_back({"Card A: Test Sink A", "Test Sink A", false, true});
        table_.asioActive = true;
        list_.Fill(table_);
        engine_.SetEngine(&system_);
    }
    void TearDown() override { engine_.SetEngine(nullptr); }

    // A stereo file holding `value` on both channels.
    std::string Constant(const std::string& name, int ms, double value) {
        return WriteWav16(dir_, name, 2, 48000, 48 * ms,
                          [value](int64_t, int) { return static_cast<int16_t>(value * 32768.0); });
    }
    PreviewSettings Settings(std::vector<std::string> files, int output) {
        PreviewSettings s;
        s.files = std::move(files);
        s.lengthsMs.assign(s.files.size(), 0);
        s.caption = "Cue";
        s.output = output;
        return s;
    }
    // Plays `ms` in 10 ms ticks as the program does: the device, the
    // control thread's tick, the dialog's timer. Appends every speaker.
    void Run(int ms) {
        for (int t = 0; t < ms / 10; ++t) {
            const std::vector<float> block = Render(kTickFrames);
            for (int s = 0; s < kSpeakerCount; ++s) {
                const std::vector<float> one = Speaker(block, s);
                heard_[static_cast<size_t>(s)].insert(heard_[static_cast<size_t>(s)].end(),
                                                      one.begin(), one.end());
            }
            engine_.Tick();
            preview_.Tick(10);
        }
    }
    const std::vector<float>& Heard(int speaker) const {
        return heard_[static_cast<size_t>(speaker)];
    }
    static float Peak(const std::vector<float>& v, size_t from = 0, size_t to = SIZE_MAX) {
        float peak = 0;
        for (size_t i = from; i < std::min(to, v.size()); ++i) {
            peak = std::max(peak, std::abs(v[i]));
        }
        return peak;
    }
    static size_t Sounding(const std::vector<float>& v) {
        return static_cast<size_t>(
            std::count_if(v.begin(), v.end(), [](float x) { return std::abs(x) > 1e-4f; }));
    }
    // The largest change from one frame to the next: a click is a jump.
    static float LargestStep(const std::vector<float>& v, size_t from = 0) {
        float step = 0;
        for (size_t i = from + 1; i < v.size(); ++i) {
            step = std::max(step, std::abs(v[i] - v[i - 1]));
        }
        return step;
    }

    OutputTable table_;
    OutputList list_;
    EnginePreview engine_;
    OutputPreviewPlayer player_{SetupOutputs{&table_, &list_, nullptr, &engine_}};
    RunLog log_{dir_.Path()};
    SetupPreview preview_{player_, &log_};
    std::array<std::vector<float>, kSpeakerCount> heard_;
};

TEST_F(EnginePreviewTest, PlaysOnTheChosenPairWithTheButtonsLevelAndPan) {
    PreviewSettings s = Settings({Constant("a.wav", 300, 0.5)}, 1);  // "ASIO 3+4"
    s.volume = 80;
    s.pan = 50;
    ASSERT_TRUE(preview_.Play(s));
    Run(200);
    EXPECT_TRUE(preview_.IsPlaying());
    EXPECT_NEAR(preview_.RemainingMs(), 100, 20);
    const float level = EngineVolume(-2000.0f);
    EXPECT_NEAR(Heard(2)[4800], 0.5f * level * 0.75f, 1e-4f);  // left (200 - 50) / 2 %
    EXPECT_NEAR(Heard(3)[4800], 0.5f * level * 0.25f, 1e-4f);  // right 50 / 2 %
    for (int other : {0, 1, 4, 5, 6, 7}) {
        EXPECT_EQ(Peak(Heard(other)), 0.0f) << "speaker " << other;
    }
    Run(200);
    EXPECT_FALSE(preview_.IsPlaying()) << "the end of the file ends the preview";
    EXPECT_NEAR(static_cast<double>(Sounding(Heard(2))), 300 * 48.0, 48.0 * 12);
}

TEST_F(EnginePreviewTest, FadesRiseAndFallWithoutAClick) {
    PreviewSettings s = Settings({Constant("a.wav", 1000, 0.5)}, 0);
    s.fadeIn = 3;   // 0.3 s
    s.fadeOut = 3;  // the last 0.3 s
    ASSERT_TRUE(preview_.Play(s));
    Run(1200);
    EXPECT_EQ(preview_.state(), SetupPreview::State::kIdle);
    const std::vector<float>& left = Heard(0);
    EXPECT_LT(Peak(left, 0, 480), 0.01f) << "starts from the fade's floor";
    EXPECT_NEAR(Peak(left, 24000, 28800), 0.25f, 1e-3f) << "full level after the fade-in";
    EXPECT_LT(Peak(left, 47000, 48000), 0.05f) << "faded out by the end";
    // A 10 ms step of the fade law ramps over the engine's declick time.
    EXPECT_LT(LargestStep(left), 0.005f);
}

TEST_F(EnginePreviewTest, VarispeedLoopAndStopAreTheEngines) {
    PreviewSettings s = Settings({Constant("a.wav", 200, 0.5)}, 3);  // "ASIO 7+8"
    s.varispeed = 50;
    s.loop = true;
    ASSERT_TRUE(preview_.Play(s));
    EXPECT_NEAR(preview_.RemainingMs(), 400, 20) << "half speed: twice as long";
    Run(1000);
    EXPECT_TRUE(preview_.IsPlaying()) << "a loop plays on past its end";
    EXPECT_GE(Sounding(Heard(6)), 48000u - 48u) << "without a gap at the loop point";
    preview_.Stop();
    Run(100);
    const std::vector<float>& left = Heard(6);
    EXPECT_EQ(Peak(left, 48000 + 480), 0.0f) << "silent once stopped";
    EXPECT_LT(LargestStep(left, 48000 - 480), 0.005f) << "the stop fades out";
    const std::string logText = dir_.Read(kRunLogName);
    EXPECT_NE(logText.find("a.wav\tCue\t"), std::string::npos) << logText;
}

TEST_F(EnginePreviewTest, SonglistEntriesFollowOnTheSamePair) {
    PreviewSettings s =
        Settings({Constant("one.wav", 100, 0.25), Constant("two.wav", 100, 0.5)}, 2);
    s.lengthsMs = {100, 100};
    ASSERT_TRUE(preview_.Play(s));
    Run(400);
    EXPECT_FALSE(preview_.IsPlaying());
    // Centre pan: half of each file's level on each side.
    EXPECT_NEAR(Peak(Heard(4), 0, 4800), 0.125f, 1e-3f);
    EXPECT_NEAR(Peak(Heard(4), 4800, 19200), 0.25f, 1e-3f) << "the second entry is heard";
}

TEST_F(EnginePreviewTest, WithoutAnEngineTheFileIsRefused) {
    engine_.SetEngine(nullptr);
    EXPECT_FALSE(preview_.Play(Settings({Constant("a.wav", 100, 0.5)}, 0)));
    EXPECT_FALSE(preview_.IsPlaying());
}

}  // namespace
}  // namespace tamberline::testing
