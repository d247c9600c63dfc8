// End to end through the JACK client backend on the JACK dummy server of the test
// services: a tone routed to "ASIO 3+4" must arrive on channels 3 and 4.

#include <sndfile.h>
#include <unistd.h>

#include <QThread>
#include <cmath>
#include <cstdlib>

#include "jack_recorder.h"
#include "playback/engine_outputs.h"
#include "playback/sound/jack_backend.h"
#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

class SoundOnJack : public ::testing::Test {
protected:
    TempDir dir_;
    void SetUp() override {
        if (std::getenv("TAMBERLINE_JACK") == nullptr) {
            GTEST_SKIP() << "no JACK server: run scripts/test-services.sh start";
        }
    }
};

TEST_F(SoundOnJack, AToneOnPair3And4ArrivesOnChannels3And4Only) {
    JackRecorder recorder(3.0);
    ASSERT_TRUE(recorder.Open());

    // A JACK name of its own, so that only this player is recorded.
    const std::string player = "tamberline-test-" + std::to_string(::getpid());
    auto backend = std::make_unique<JackBackend>(player);
    const std::vector<std::string> drivers = EngineDriverNames(*backend);
    const int jack = JackSystemDriver(drivers);
    ASSERT_GE(jack, 0) << "no JACK system driver";
    SoundSystem system;
    ASSERT_EQ(system.SetOutputBackend(std::move(backend)), SoundResult::kOk);
    ASSERT_EQ(system.SetDriver(jack), SoundResult::kOk);
    ASSERT_EQ(system.SetSpeakerMode(SpeakerMode::kSevenPointOne), SoundResult::kOk);
    ASSERT_EQ(system.Init(336), SoundResult::kOk);
    EXPECT_EQ(system.OutputRate(), static_cast<int>(recorder.Rate()));
    ASSERT_TRUE(recorder.FollowPlaybackPorts(player));

    const std::string path = WriteSineFile(dir_, "tone.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2,
                                           48000, 48000, 0.5, 1000.0);
    SoundId tone;
    ASSERT_EQ(system.CreateStream(path, LoopMode::kOff, tone), SoundResult::kOk);
    ChannelId ch;
    ASSERT_EQ(system.PlaySound(tone, true, ch), SoundResult::kOk);
    ASSERT_EQ(system.SetSpeakerMix(ch, {}), SoundResult::kOk);
    const float left[2] = {1.0f, 0.0f};
    const float right[2] = {0.0f, 1.0f};
    ASSERT_EQ(system.SetSpeakerLevels(ch, 2, left, 2), SoundResult::kOk);
    ASSERT_EQ(system.SetSpeakerLevels(ch, 3, right, 2), SoundResult::kOk);
    ASSERT_EQ(system.SetPaused(ch, false), SoundResult::kOk);

    bool playing = true;
    for (int i = 0; i < 300 && playing; ++i) {
        QThread::msleep(10);
        ASSERT_EQ(system.IsPlaying(ch, playing), SoundResult::kOk);
    }
    EXPECT_FALSE(playing) << "a one-second tone ends";
    QThread::msleep(100);
    recorder.Stop();
    EXPECT_EQ(system.Update(), SoundResult::kOk);

    const size_t frames = recorder.Recorded();
    ASSERT_GT(frames, 48000u);
    for (int port = 0; port < JackRecorder::kPorts; ++port) {
        const std::vector<float>& data = recorder.Channel(port);
        double energy = 0;
        float peak = 0;
        size_t sounding = 0;
        for (size_t i = 0; i < frames; ++i) {
            energy += data[i] * data[i];
            peak = std::max(peak, std::abs(data[i]));
            sounding += data[i] != 0.0f;
        }
        if (port == 2 || port == 3) {
            // A period the server reported late was played as silence by the
            // server, not lost by the engine; anything more is ours.
            const double lost = static_cast<double>(recorder.Xruns()) * recorder.PeriodFrames();
            EXPECT_NEAR(peak, 0.5f, 0.005f) << "channel " << port + 1;
            ASSERT_GT(sounding, 0u) << "channel " << port + 1;
            EXPECT_NEAR(std::sqrt(energy / static_cast<double>(sounding)), 0.5 / std::sqrt(2.0),
                        0.01)
                << "channel " << port + 1 << ": the tone at its level";
            EXPECT_LE(static_cast<double>(sounding), 48000.0 + 100.0) << "channel " << port + 1;
            EXPECT_GE(static_cast<double>(sounding), 48000.0 - 100.0 - lost)
                << "channel " << port + 1 << ": one second of the tone, " << recorder.Xruns()
                << " late cycles reported by the server";
        } else {
            EXPECT_EQ(peak, 0.0f) << "channel " << port + 1 << " stays silent";
        }
    }
}

}  // namespace
}  // namespace tamberline::testing
