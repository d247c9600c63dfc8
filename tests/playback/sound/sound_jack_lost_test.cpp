// A JACK server that quits under a playing engine. The test starts its own
// server (a program of its own, because PortAudio is set up once per
// process) and stops it while a tone plays.

#include <sndfile.h>
#include <unistd.h>

#include <QProcess>
#include <QThread>
#include <cstdlib>

#include "playback/sound/portaudio_backend.h"
#include "playback/sound/sound_outputs.h"
#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

bool ServerRuns(const std::string& name) {
    QProcess check;
    check.start("jack_wait", {"-s", QString::fromStdString(name), "-c"});
    check.waitForFinished(3000);
    return check.readAllStandardOutput().trimmed() == "running";
}

TEST(SoundJackLost, AServerThatQuitsEndsTheStreamWithAnErrorAndBlocksNoOne) {
    if (std::getenv("TAMBERLINE_JACK") == nullptr) {
        GTEST_SKIP() << "no JACK: run scripts/test-services.sh start";
    }
    const std::string name = "tamberline-lost-" + std::to_string(::getpid());
    QProcess server;
    server.start("jackd", {"-n", QString::fromStdString(name), "--no-realtime", "-d", "dummy", "-P",
                           "8", "-C", "0", "-r", "48000", "-p", "256"});
    ASSERT_TRUE(server.waitForStarted(5000));
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
        up = ServerRuns(name);
        if (!up) {
            QThread::msleep(50);
        }
    }
    ASSERT_TRUE(up) << "private JACK server " << name;
    qputenv("JACK_DEFAULT_SERVER", QByteArray::fromStdString(name));

    TempDir dir;
    SoundSystem system;
    ASSERT_EQ(system.SetOutput(OutputType::kPortAudio), SoundResult::kOk);
    PortAudioBackend names;
    const std::vector<std::string> drivers = EngineDriverNames(names);
    int jack = -1;
    for (size_t i = 0; i < drivers.size(); ++i) {
        if (drivers[i].rfind("system (JACK", 0) == 0) {
            jack = static_cast<int>(i);
        }
    }
    ASSERT_GE(jack, 0);
    ASSERT_EQ(system.SetDriver(jack), SoundResult::kOk);
    ASSERT_EQ(system.Init(336), SoundResult::kOk);
    SoundId tone;
    ASSERT_EQ(system.CreateStream(WriteSineFile(dir, "tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                                2, 48000, 48000, 0.5, 440.0),
                                  LoopMode::kNormal, tone),
              SoundResult::kOk);
    ChannelId ch;
    ASSERT_EQ(system.PlaySound(tone, false, ch), SoundResult::kOk);
    QThread::msleep(300);
    ASSERT_EQ(system.Update(), SoundResult::kOk);

    server.terminate();
    ASSERT_TRUE(server.waitForFinished(10000));
    SoundResult status = SoundResult::kOk;
    for (int i = 0; i < 500 && status == SoundResult::kOk; ++i) {
        QThread::msleep(10);
        status = system.Update();
    }
    EXPECT_EQ(status, SoundResult::kErrOutputLost);
    bool playing = true;
    EXPECT_EQ(system.IsPlaying(ch, playing), SoundResult::kErrOutputLost);
    EXPECT_FALSE(playing);
    ChannelId again;
    EXPECT_EQ(system.PlaySound(tone, false, again), SoundResult::kErrOutputLost);
    EXPECT_EQ(system.SetVolume(ch, 0.5f), SoundResult::kErrOutputLost);
    EXPECT_EQ(system.Close(), SoundResult::kOk) << "closing does not wait for the dead server";
}

}  // namespace
}  // namespace tamberline::testing
