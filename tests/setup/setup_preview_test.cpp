#include <gtest/gtest.h>

#include "setup/setup_preview.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

// A player whose clock the test moves.
class FakePlayer final : public PreviewPlayer {
public:
    bool Load(const std::string& path, int output) override {
        loads.push_back(path + "@" + std::to_string(output));
        if (path.find("bad") != std::string::npos) {
            return false;
        }
        position = 0;
        open = true;
        return true;
    }
    int32_t DurationMs() const override { return open ? duration : 0; }
    int32_t PositionMs() const override { return position; }
    bool Play() override {
        playing = true;
        return true;
    }
    void Pause() override { playing = false; }
    void Rewind() override { position = 0; }
    void Release() override {
        open = false;
        playing = false;
    }
    void SetLevel(long value) override { level = value; }
    void SetPan(int value) override { pan = value; }
    double SetRate(double value) override {
        rate = value > 1.5 ? 1.0 : value;  // refuses fast rates
        return rate;
    }
    bool TakeEnded() override {
        const bool was = ended;
        ended = false;
        return was;
    }
    // Plays `ms` of wall time.
    void Advance(int32_t ms) {
        if (!playing) {
            return;
        }
        position += static_cast<int32_t>(ms * rate);
        if (position >= duration) {
            position = duration;
            ended = true;
        }
    }

    std::vector<std::string> loads;
    int32_t duration = 10'000;
    int32_t position = 0;
    bool open = false;
    bool playing = false;
    bool ended = false;
    long level = 1;
    int pan = -1;
    double rate = 1.0;
};

class PreviewTest : public ::testing::Test {
protected:
    void Run(SetupPreview& preview, int ms) {
        for (int t = 0; t < ms; t += 10) {
            player_.Advance(10);
            preview.Tick(10);
        }
    }
    PreviewSettings One() {
        PreviewSettings s;
        s.files = {"/show/Bell.wav"};
        s.lengthsMs = {10'000};
        s.caption = "Bell";
        s.output = 3;
        return s;
    }
    std::string LogText() { return docs_.Read(kRunLogName); }

    TempDir docs_;
    RunLog log_{docs_.Path()};
    FakePlayer player_;
};

TEST_F(PreviewTest, PlaysWithTheButtonsLevelPanAndSpeed) {
    SetupPreview preview(player_, &log_);
    PreviewSettings s = One();
    s.volume = 80;
    s.pan = 40;
    s.varispeed = 50;
    ASSERT_TRUE(preview.Play(s));
    EXPECT_EQ(player_.loads, (std::vector<std::string>{"/show/Bell.wav@3"}));
    EXPECT_EQ(player_.level, -2000);
    EXPECT_EQ(player_.pan, 40);
    EXPECT_DOUBLE_EQ(player_.rate, 0.5);
    EXPECT_EQ(preview.RemainingMs(), 20'000);
    Run(preview, 1000);
    EXPECT_EQ(preview.RemainingMs(), 19'000);
    preview.SetVolume(100);
    EXPECT_EQ(player_.level, 0);
    // A speed the player refuses: the one in force comes back.
    EXPECT_EQ(preview.SetVarispeed(190), 100);
}

TEST_F(PreviewTest, FadesInFromMinus5000AndOutBeforeTheEnd) {
    SetupPreview preview(player_, &log_);
    PreviewSettings s = One();
    s.fadeIn = 10;   // 1 s
    s.fadeOut = 20;  // 2 s
    ASSERT_TRUE(preview.Play(s));
    EXPECT_EQ(player_.level, -5000);
    Run(preview, 500);
    EXPECT_NEAR(player_.level, -2500, 60);
    Run(preview, 600);
    EXPECT_EQ(player_.level, 0);
    Run(preview, 6'900);  // 8 s played: 2 s left
    EXPECT_EQ(preview.state(), SetupPreview::State::kFadingOut);
    Run(preview, 1'000);
    EXPECT_NEAR(player_.level, -2500, 100);
    Run(preview, 1'100);
    EXPECT_EQ(preview.state(), SetupPreview::State::kIdle);
    EXPECT_FALSE(player_.open);
}

TEST_F(PreviewTest, PauseHoldsTheEndOfTheFadeAndPlayResumes) {
    SetupPreview preview(player_, &log_);
    PreviewSettings s = One();
    s.fadeOut = 20;
    s.pauseAfterFade = true;
    ASSERT_TRUE(preview.Play(s));
    Run(preview, 10'000);
    EXPECT_EQ(preview.state(), SetupPreview::State::kPausedAfterFade);
    EXPECT_FALSE(player_.playing);
    EXPECT_TRUE(player_.open);
    ASSERT_TRUE(preview.Play(s));
    EXPECT_EQ(player_.level, 0);
    EXPECT_TRUE(player_.playing);
    // Unticking Pause while held stops it.
    Run(preview, 500);
    preview.Stop();
    ASSERT_TRUE(preview.Play(s));
    Run(preview, 10'000);
    ASSERT_EQ(preview.state(), SetupPreview::State::kPausedAfterFade);
    preview.SetPauseAfterFade(false);
    EXPECT_EQ(preview.state(), SetupPreview::State::kIdle);
}

TEST_F(PreviewTest, LoopRewindsAndSonglistAdvances) {
    {
        SetupPreview preview(player_, &log_);
        PreviewSettings s = One();
        s.loop = true;
        s.fadeOut = 20;  // no fade-out while looping
        ASSERT_TRUE(preview.Play(s));
        Run(preview, 25'000);
        EXPECT_TRUE(preview.IsPlaying());
        EXPECT_EQ(player_.level, 0);
        EXPECT_EQ(player_.loads.size(), 1u);
    }
    player_.loads.clear();
    SetupPreview preview(player_, &log_);
    PreviewSettings list;
    list.files = {"/a.wav", "/b.wav"};
    list.lengthsMs = {10'000, 10'000};
    ASSERT_TRUE(preview.Play(list));
    EXPECT_EQ(preview.RemainingMs(), 20'000);
    Run(preview, 10'010);
    EXPECT_EQ(preview.entry(), 1);
    EXPECT_EQ(player_.loads, (std::vector<std::string>{"/a.wav@0", "/b.wav@0"}));
    Run(preview, 10'010);
    EXPECT_EQ(preview.state(), SetupPreview::State::kIdle);
}

TEST_F(PreviewTest, EachRunThatPlayedIsLogged) {
    SetupPreview preview(player_, &log_);
    ASSERT_TRUE(preview.Play(One()));
    Run(preview, 3'000);
    preview.Stop();
    preview.Stop();  // twice: still one line
    EXPECT_FALSE(preview.Play([] {
        PreviewSettings bad;
        bad.files = {"/bad.wav"};
        return bad;
    }()));
    const std::string text = LogText();
    EXPECT_NE(text.find("Bell.wav\tBell\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\t0:03\t"), std::string::npos) << text;
    EXPECT_EQ(text.find("bad.wav"), std::string::npos);
}

}  // namespace
}  // namespace tamberline::testing
