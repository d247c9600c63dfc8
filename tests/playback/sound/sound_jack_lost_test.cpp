// A JACK server that quits under a playing engine. The test starts its own
// server (a program of its own, because PortAudio is set up once per
// process) and stops it while a tone plays.

#include <jack/jack.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QThread>
#include <chrono>
#include <cstdlib>

#include "jack_recorder.h"
#include "playback/engine_outputs.h"
#include "playback/sound/portaudio_backend.h"
#include "sound_test_support.h"

// The JACK threads of the dead server's stream are left behind on purpose:
// closing that stream would block for ever.
extern "C" const char* __tsan_default_options() {
    return "report_thread_leaks=0";
}

namespace tamberline::testing {
namespace {

// A JACK server of the test's own. Started with a plain fork and exec: the
// vfork-style spawn of QProcess confuses ThreadSanitizer.
class PrivateJackServer {
public:
    explicit PrivateJackServer(const std::string& name) : name_(name) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execlp("jackd", "jackd", "-n", name.c_str(), "--no-realtime", "-d", "dummy", "-P",
                     "8", "-C", "0", "-r", "48000", "-p", "256", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~PrivateJackServer() { Stop(); }

    bool WaitUntilUp() const {
        for (int i = 0; i < 100 && pid_ > 0; ++i) {
            jack_status_t status{};
            jack_client_t* probe = jack_client_open(
                "tamberline-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                &status, name_.c_str());
            if (probe != nullptr) {
                jack_client_close(probe);
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }
    // Asks the server to quit and waits for it.
    bool Stop() {
        if (pid_ <= 0) {
            return true;
        }
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = 0;
                return true;
            }
            QThread::msleep(50);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = 0;
        return false;
    }

private:
    std::string name_;
    pid_t pid_ = 0;
};

TEST(SoundJackLost, AServerThatQuitsEndsTheStreamWithAnErrorAndBlocksNoOne) {
    if (std::getenv("TAMBERLINE_JACK") == nullptr) {
        GTEST_SKIP() << "no JACK: run scripts/test-services.sh start";
    }
    const std::string name = "tamberline-lost-" + std::to_string(::getpid());
    PrivateJackServer server(name);
    ASSERT_TRUE(server.WaitUntilUp()) << "private JACK server " << name;
    qputenv("JACK_DEFAULT_SERVER", QByteArray::fromStdString(name));

    TempDir dir;
    SoundSystem system;
    ASSERT_EQ(system.SetOutput(OutputType::kPortAudio), SoundResult::kOk);
    PortAudioBackend names;
    const std::vector<std::string> drivers = EngineDriverNames(names);
    const int jack = JackSystemDriver(drivers);
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

    ASSERT_TRUE(server.Stop());
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

    // The server comes back while PortAudio still holds the dead stream: a
    // new engine (what building the outputs again makes) is answered at
    // once, never left waiting on the dead server.
    PrivateJackServer back(name);
    ASSERT_TRUE(back.WaitUntilUp());
    const auto before = std::chrono::steady_clock::now();
    SoundSystem rebuilt;
    int count = -1;
    rebuilt.GetNumDrivers(count);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1))
        << "the caller is never held up";
}

}  // namespace
}  // namespace tamberline::testing
