// Two programs on two test hosts (network namespaces of the link-hosts
// script): the whole link from the request to its loss. Root only.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "net/link_hosts.h"
#include "playback/sound/jack_recorder.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

int Remaining(const std::string& clock) {
    const size_t at = clock.find("remaining=");
    return at == std::string::npos ? -1 : std::atoi(clock.c_str() + at + 10);
}

// Listens to the default sink of the test audio server (where the
// slave's demo show plays); without the server there is nothing to hear
// and the slave's run state has to do.
class SinkListener {
public:
    explicit SinkListener(std::string file) : file_(std::move(file)) {}
    bool Start() {
        if (std::getenv("PULSE_SERVER") == nullptr) {
            return false;
        }
        // Into a file: a pipe nobody reads meanwhile would stall the
        // recorder; in small pieces, or the last of the sound never leaves
        // it. Bounded in time whatever happens to the test.
        parec_.start(
            QStringLiteral("bash"),
            {QStringLiteral("-c"),
             QStringLiteral("exec timeout 20 parec --raw --device=@DEFAULT_MONITOR@ "
                            "--latency-msec=20 --format=s16le --channels=1 --rate=48000 > \"$0\""),
             QString::fromStdString(file_)});
        // A new stream of the server takes a moment before it carries sound.
        QThread::msleep(1000);
        return parec_.waitForStarted(2000);
    }
    bool HeardSound() {
        parec_.terminate();
        parec_.waitForFinished(2000);
        QFile file(QString::fromStdString(file_));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const auto* samples = reinterpret_cast<const int16_t*>(bytes.constData());
        for (qsizetype i = 0; i < bytes.size() / 2; ++i) {
            if (std::abs(samples[i]) > 300) {
                return true;
            }
        }
        return false;
    }

private:
    std::string file_;
    QProcess parec_;
};

class LinkHostsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string why = LinkHosts::Unavailable();
        if (!why.empty()) {
            GTEST_SKIP() << why;
        }
        // B plays the demo show, on its engine where the test services run
        // a JACK server; A has a session of its own to get back.
        onJack = std::getenv("TAMBERLINE_JACK") != nullptr && hosts.PlayOnJack('B');
        ASSERT_TRUE(hosts.Start("B")) << hosts.Log('A') << hosts.Log('B');
    }

    void Link() {
        ASSERT_EQ(hosts.Command('A', std::string("connect ") + LinkHosts::kAddressB + " B master"),
                  "ok");
        ASSERT_TRUE(hosts.WaitFor('B', "status", "box=Connection request received from"))
            << hosts.Command('B', "status");
        ASSERT_EQ(hosts.Command('B', "answer ok"), "ok");
        ASSERT_TRUE(hosts.WaitFor('A', "status", "role=master connected=1 syncing=0"))
            << hosts.Command('A', "status") << hosts.Log('A');
    }

    TempDir dir;
    LinkHosts hosts{dir.Path()};
    bool onJack = false;
};

// The largest sample of the slave's first two engine channels.
float Loudest(const JackRecorder& recorder) {
    float loudest = 0;
    for (int port : {0, 1}) {
        const std::vector<float>& channel = recorder.Channel(port);
        const size_t frames = std::min(recorder.Recorded(), channel.size());
        for (size_t i = 0; i < frames; ++i) {
            loudest = std::max(loudest, std::abs(channel[i]));
        }
    }
    return loudest;
}

TEST_F(LinkHostsTest, AMasterFiresTheSlavesButtonsUntilTheLinkEnds) {
    ASSERT_EQ(hosts.Command('A', "caption 0"), "");
    Link();
    EXPECT_TRUE(hosts.WaitFor('B', "status", "role=slave connected=1"));
    // Every record came over: the slave's show is on the master.
    for (int button : {0, 1, 5, 6, 335}) {
        EXPECT_EQ(hosts.Command('A', "caption " + std::to_string(button)),
                  hosts.Command('B', "caption " + std::to_string(button)))
            << button;
    }
    EXPECT_EQ(hosts.Command('A', "caption 1"), "Low tone");

    // A start on the master plays on the slave, and the master's clock
    // follows the slave's.
    SinkListener listener(dir.File("sink.raw"));
    JackRecorder engineOutput(4.0);
    if (onJack) {
        // The slave's JACK client is "Tamberline": the master opens none.
        ASSERT_TRUE(engineOutput.Open());
        ASSERT_TRUE(engineOutput.FollowPlaybackPorts("Tamberline"));
    }
    const bool listening = !onJack && listener.Start();
    ASSERT_EQ(hosts.Command('A', "start 1"), "ok");
    ASSERT_TRUE(hosts.WaitFor('B', "clock 1", "running=1")) << hosts.Command('A', "status") << "\n"
                                                            << hosts.Command('B', "status") << "\n"
                                                            << hosts.Log('B');
    // A new stream of the audio server takes a moment to sound.
    QThread::msleep(1500);
    if (onJack) {
        engineOutput.Stop();
        EXPECT_GT(Loudest(engineOutput), 0.05f);
    } else if (listening) {
        EXPECT_TRUE(listener.HeardSound());
    }
    ASSERT_TRUE(hosts.WaitFor('A', "clock 1", "running=1"));
    const int first = Remaining(hosts.Command('A', "clock 1"));
    QThread::msleep(600);
    const int later = Remaining(hosts.Command('A', "clock 1"));
    const int slave = Remaining(hosts.Command('B', "clock 1"));
    EXPECT_LT(later, first);
    EXPECT_NEAR(later, slave, 400);

    // A stop on the master stops the slave.
    ASSERT_EQ(hosts.Command('A', "stopall"), "ok");
    EXPECT_TRUE(hosts.WaitFor('B', "clock 1", "running=0"));
    EXPECT_TRUE(hosts.WaitFor('A', "clock 1", "running=0"));

    // Disconnect: the slave is told, the master has its own session back.
    ASSERT_EQ(hosts.Command('A', "disconnect"), "ok");
    EXPECT_TRUE(hosts.WaitFor('B', "status", "role=none connected=0"));
    EXPECT_TRUE(hosts.WaitFor('B', "status", "box=Remote disconnected."));
    EXPECT_EQ(hosts.Command('B', "answer ok"), "ok");
    EXPECT_TRUE(hosts.WaitFor('A', "status", "role=none connected=0"));
    EXPECT_EQ(hosts.Command('A', "caption 1"), "");
}

TEST_F(LinkHostsTest, AHostWhoseInterfaceGoesDownEndsTheLinkOnBoth) {
    Link();
    ASSERT_TRUE(hosts.Cut('B'));
    EXPECT_TRUE(hosts.WaitFor('A', "status", "role=none connected=0"));
    EXPECT_TRUE(hosts.WaitFor('A', "status", "box=Network connection lost."));
    EXPECT_TRUE(hosts.WaitFor('B', "status", "role=none connected=0"));
    EXPECT_TRUE(hosts.WaitFor('B', "status", "box=Network connection lost."));
    EXPECT_EQ(hosts.Command('A', "caption 1"), "");
    ASSERT_TRUE(hosts.Mend('B'));
}

// Discovery through the real name service: each host's avahi-daemon
// announces its console on the veth pair, and A's "Network Connect" list
// shows B, which answers the echo, and never A itself.
TEST_F(LinkHostsTest, TheConnectListShowsTheConsoleAnnouncedOnTheOtherHost) {
    if (!LinkHosts::NameServices()) {
        GTEST_SKIP() << "no avahi-daemon on the test hosts";
    }
    // B's announcement may still be probing when the first search ends
    // ("Network not ready."): the operator would open the list again.
    std::string rows;
    std::string trace;
    for (int attempt = 0; attempt < 5 && rows.find("tbl-hB") == std::string::npos; ++attempt) {
        ASSERT_EQ(hosts.Command('A', "netconnect"), "ok");
        // Until the search has ended one way or the other.
        QElapsedTimer searching;
        searching.start();
        do {
            QThread::msleep(50);
            rows = hosts.Command('A', "rows");
        } while (rows.find("tbl-hB") == std::string::npos &&
                 rows.find("Network not ready.") == std::string::npos &&
                 searching.elapsed() < 15000);
        trace += "attempt " + std::to_string(attempt) + ": " + rows + " / " +
                 hosts.Command('A', "status") + "\n";
        // Closed, whatever is open (the list, or a message before it).
        QElapsedTimer closing;
        closing.start();
        while (hosts.Command('A', "rows") != "no dialog" && closing.elapsed() < 10000) {
            hosts.Command('A', "answer cancel");
            QThread::msleep(100);
        }
        ASSERT_EQ(hosts.Command('A', "rows"), "no dialog") << trace;
    }
    EXPECT_NE(rows.find(std::string("tbl-hB ") + LinkHosts::kAddressB + ";"), std::string::npos)
        << trace;
    EXPECT_EQ(rows.find("tbl-hA"), std::string::npos) << rows;
}

}  // namespace
}  // namespace tamberline::testing
