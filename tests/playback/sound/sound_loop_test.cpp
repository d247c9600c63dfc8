// Loops, seeks and the position while playing, on the offline backend.

#include <sndfile.h>

#include <utility>

#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// The left channel of the test file over the given frame ranges, then silence.
std::vector<float> Sequence(std::initializer_list<std::pair<int64_t, int64_t>> ranges,
                            size_t total) {
    std::vector<float> out;
    for (const auto& [from, to] : ranges) {
        for (int64_t f = from; f < to; ++f) {
            out.push_back(MarkerFloat(f, 0));
        }
    }
    out.resize(std::max(out.size(), total), 0.0f);
    return out;
}

void ExpectSame(const std::vector<float>& got, const std::vector<float>& want) {
    ASSERT_GE(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(got[i], want[i]) << "frame " << i;
    }
}

class SoundLoop : public OfflineSound {
protected:
    void SetUp() override {
        OfflineSound::SetUp();
        path_ = WriteMarkerFile(dir_, "a.wav", kWav16, 2, 48000, 1000);
    }
    // A channel prepared the way the run control starts a looping button.
    ChannelId Looping(uint32_t start, uint32_t end, int count) {
        const ChannelId ch = Play(Stream(path_), true);
        EXPECT_EQ(system_.SetLoopPoints(ch, start, end), SoundResult::kOk);
        EXPECT_EQ(system_.SetLoopCount(ch, count), SoundResult::kOk);
        EXPECT_EQ(system_.SetMode(ch, LoopMode::kNormal), SoundResult::kOk);
        EXPECT_EQ(system_.SetPosition(ch, 0, TimeUnit::kMs), SoundResult::kOk);
        EXPECT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
        return ch;
    }
    std::string path_;
};

TEST_F(SoundLoop, LoopPointsRepeatTheCountGivenThenPlayOn) {
    const ChannelId ch = Looping(200, 500, 2);
    ExpectSame(Speaker(Render(1792), 0),
               Sequence({{0, 500}, {200, 500}, {200, 500}, {500, 1000}}, 1792));
    bool playing = true;
    EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    EXPECT_FALSE(playing);
}

TEST_F(SoundLoop, ALoopCountOfMinusOneNeverEnds) {
    const ChannelId ch = Looping(0, 1000, -1);
    ExpectSame(Speaker(Render(20480), 0),
               Sequence({{0, 1000}, {0, 1000}, {0, 1000}, {0, 1000}, {0, 1000}}, 0));
    bool playing = false;
    EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    EXPECT_TRUE(playing);
}

// The read-ahead already holds the next passes when the loop is switched
// off: the pass being heard finishes and nothing more follows.
TEST_F(SoundLoop, SwitchingTheLoopOffEndsAfterThePassHeard) {
    for (int heard : {256, 1280, 1792}) {
        const ChannelId ch = Looping(0, 1000, -1);
        std::vector<float> out = Speaker(Render(heard), 0);
        ASSERT_EQ(system_.SetMode(ch, LoopMode::kOff), SoundResult::kOk);
        const std::vector<float> rest = Speaker(Render(2048), 0);
        out.insert(out.end(), rest.begin(), rest.end());
        const int64_t passEnd = (heard / 1000 + 1) * 1000;
        std::vector<float> want;
        for (int64_t i = 0; i < passEnd; ++i) {
            want.push_back(MarkerFloat(i % 1000, 0));
        }
        want.resize(out.size(), 0.0f);
        ExpectSame(out, want);
        bool playing = true;
        EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
        EXPECT_FALSE(playing) << heard;
    }
}

TEST_F(SoundLoop, MovingTheLoopEndWhilePlayingTakesEffectAtTheNextWrap) {
    const ChannelId ch = Looping(0, 1000, -1);
    std::vector<float> out = Speaker(Render(256), 0);
    ASSERT_EQ(system_.SetLoopPoints(ch, 100, 400), SoundResult::kOk);
    const std::vector<float> rest = Speaker(Render(768), 0);
    out.insert(out.end(), rest.begin(), rest.end());
    ExpectSame(out, Sequence({{0, 400}, {100, 400}, {100, 400}, {100, 124}}, 0));
}

// A seek fades out where it was (a few milliseconds), then plays from the
// new place, fading in.
TEST_F(SoundLoop, SetPositionJumpsAfterItsFadeAndPositionFollows) {
    const ChannelId ch = Play(Stream(WriteMarkerFile(dir_, "long.wav", kWav16, 2, 48000, 96000)));
    Render(256);
    uint32_t ms = 0;
    EXPECT_EQ(system_.GetPosition(ch, ms, TimeUnit::kMs), SoundResult::kOk);
    EXPECT_EQ(ms, 5u) << "256 frames at 48 kHz";
    ASSERT_EQ(system_.SetPosition(ch, 1500, TimeUnit::kMs), SoundResult::kOk);
    EXPECT_EQ(system_.GetPosition(ch, ms, TimeUnit::kMs), SoundResult::kOk);
    EXPECT_EQ(ms, 1500u) << "reported at once";
    const std::vector<float> fade = Speaker(Render(256), 0);
    EXPECT_NEAR(fade[0], MarkerFloat(256, 0), 1e-3) << "the old place, fading";
    EXPECT_EQ(fade[250], 0.0f);
    const std::vector<float> out = Speaker(Render(512), 0);
    EXPECT_NEAR(out[0], MarkerFloat(72000, 0) / 240.0f, 1e-5) << "the fade-in starts from silence";
    EXPECT_EQ(out[300], MarkerFloat(72300, 0));
    EXPECT_EQ(out[511], MarkerFloat(72511, 0));
    uint32_t pcm = 0;
    EXPECT_EQ(system_.GetPosition(ch, pcm, TimeUnit::kPcm), SoundResult::kOk);
    EXPECT_EQ(pcm, 72512u);
    EXPECT_EQ(system_.SetPosition(ch, 2000, TimeUnit::kMs), SoundResult::kErrInvalidParam)
        << "past the end";
}

TEST_F(SoundLoop, APausedSeekIsReportedBeforeAnythingIsHeard) {
    const ChannelId ch = Play(Stream(WriteMarkerFile(dir_, "long.wav", kWav16, 2, 48000, 96000)));
    Render(512);
    ASSERT_EQ(system_.SetPaused(ch, true), SoundResult::kOk);
    ASSERT_EQ(system_.SetPosition(ch, 250, TimeUnit::kMs), SoundResult::kOk);
    uint32_t ms = 0;
    EXPECT_EQ(system_.GetPosition(ch, ms, TimeUnit::kMs), SoundResult::kOk);
    EXPECT_EQ(ms, 250u);
    Render(256);
    EXPECT_EQ(system_.GetPosition(ch, ms, TimeUnit::kMs), SoundResult::kOk);
    EXPECT_EQ(ms, 250u);
    ASSERT_EQ(system_.SetPaused(ch, false), SoundResult::kOk);
    EXPECT_EQ(Speaker(Render(256), 0)[250], MarkerFloat(12250, 0)) << "faded in from there";
}

}  // namespace
}  // namespace tamberline::testing
