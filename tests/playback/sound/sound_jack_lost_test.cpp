// A JACK server that quits under a playing engine, and comes back. The test
// starts its own server (never the shared one) and stops and restarts it
// while a tone plays.

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
#include "playback/outputs_part.h"
#include "playback/run_controller.h"
#include "playback/sound/device_backends.h"
#include "session/registry.h"
#include "sound_test_support.h"
#include "support/scripted_message_box.h"

// The client of the dead server is left behind with its threads on purpose:
// libjack cannot close it.
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
    std::vector<std::string> drivers;
    {
        DeviceBackends names;
        drivers = EngineDriverNames(names);
    }
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

    // The server comes back: a new engine (what building the outputs again
    // makes) is answered at once, and finds it.
    PrivateJackServer back(name);
    ASSERT_TRUE(back.WaitUntilUp());
    const auto before = std::chrono::steady_clock::now();
    SoundSystem rebuilt;
    ASSERT_EQ(rebuilt.SetOutput(OutputType::kPortAudio), SoundResult::kOk);
    int count = -1;
    rebuilt.GetNumDrivers(count);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1))
        << "the caller is never held up";
    std::string driver;
    ASSERT_EQ(rebuilt.GetDriverName(jack, driver), SoundResult::kOk);
    EXPECT_EQ(driver, drivers[static_cast<size_t>(jack)]);
    ASSERT_EQ(rebuilt.SetDriver(jack), SoundResult::kOk);
    EXPECT_EQ(rebuilt.Init(336), SoundResult::kOk);
}

float Peak(const JackRecorder& recorder, int port) {
    float peak = 0.0f;
    const std::vector<float>& data = recorder.Channel(port);
    for (size_t i = 0; i < recorder.Recorded(); ++i) {
        peak = std::max(peak, std::abs(data[i]));
    }
    return peak;
}

// The program's outputs on a JACK server that goes away and comes back:
// while it is away the hardware check leaves the engine as it is (building
// now would find no such driver and switch it off); its return is noted as
// a device change, and the hardware check then plays again.
TEST(SoundJackLost, AServerThatComesBackPlaysAgainThroughTheHardwareCheck) {
    if (std::getenv("TAMBERLINE_JACK") == nullptr) {
        GTEST_SKIP() << "no JACK: run scripts/test-services.sh start";
    }
    const std::string name = "tamberline-back-" + std::to_string(::getpid());
    auto server = std::make_unique<PrivateJackServer>(name);
    ASSERT_TRUE(server->WaitUntilUp()) << "private JACK server " << name;
    qputenv("JACK_DEFAULT_SERVER", QByteArray::fromStdString(name));

    TempDir dir;
    Registry registry(QString::fromStdString(dir.File("Tamberline.conf")));
    ScriptedMessageBox box;
    int jack = -1;
    {
        DeviceBackends names;
        jack = JackSystemDriver(EngineDriverNames(names));
    }
    ASSERT_GE(jack, 0);
    WriteAsioIndex(registry, static_cast<uint32_t>(jack + 1));
    RunController run{RunServices{}};
    run.StartTicking();
    int deviceChanges = 0;
    OutputsPart outputs(registry, box, {}, run, [&deviceChanges] { ++deviceChanges; });
    ASSERT_TRUE(outputs.Start(StartStep::kOutputs));
    ASSERT_TRUE(outputs.table().asioActive);

    ButtonRecord record{};
    SetPath(record, WriteSineFile(dir, "tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000,
                                  48000 * 20, 0.5, 440.0));
    record.status = STATUS_ASSIGNED;
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    record.output = 0;
    run.LoadRecord(0, record);
    run.StartButton(0);
    run.Drain();
    ASSERT_TRUE(run.Snapshot(0).running);

    ASSERT_TRUE(server->Stop());
    server.reset();
    // The console's tick runs; run control finds the engine lost and stops.
    for (int i = 0; i < 400 && run.Snapshot(0).running; ++i) {
        outputs.Tick({});
        QThread::msleep(10);
    }
    EXPECT_FALSE(run.Snapshot(0).running) << "the cue on the lost engine ends";
    outputs.HardwareCheck();  // a device notice while the server is away
    EXPECT_EQ(ReadAsioIndex(registry), static_cast<uint32_t>(jack + 1));
    EXPECT_TRUE(box.shown().empty()) << box.shown().front().text;
    for (int i = 0; i < 100; ++i) {
        outputs.Tick({});
        QThread::msleep(10);
    }
    EXPECT_EQ(deviceChanges, 0) << "nothing is back yet";

    PrivateJackServer back(name);
    ASSERT_TRUE(back.WaitUntilUp());
    for (int i = 0; i < 300 && deviceChanges == 0; ++i) {
        outputs.Tick({});
        QThread::msleep(10);
    }
    ASSERT_EQ(deviceChanges, 1) << "the server's return is a device change";
    outputs.HardwareCheck();  // what the device change runs, about 2.5 s later
    EXPECT_TRUE(outputs.table().asioActive);
    EXPECT_TRUE(box.shown().empty());

    JackRecorder recorder(2.0);
    ASSERT_TRUE(recorder.Open());
    run.StartButton(0);
    run.Drain();
    ASSERT_TRUE(run.Snapshot(0).running);
    ASSERT_TRUE(recorder.FollowPlaybackPorts("Tamberline"));
    QThread::msleep(500);
    recorder.Stop();
    EXPECT_GT(Peak(recorder, 0), 0.2f) << "the engine plays on the server that came back";
    EXPECT_GT(Peak(recorder, 1), 0.2f);
    EXPECT_EQ(Peak(recorder, 2), 0.0f);
    run.StopAll();
    run.Drain();
    run.Shutdown();
    outputs.Teardown(TeardownStep::kAudioEngine);
}

}  // namespace
}  // namespace tamberline::testing
