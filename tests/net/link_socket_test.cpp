#include "net/link_socket.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

#include "base/clock.h"
#include "net/link_fixture.h"

namespace tamberline::testing {
namespace {

// Two consoles on one machine: each binds its own loopback address, on a
// port of the tests' own so that a running program's 4320 is left alone.
constexpr uint16_t kTestPort = 43201;
constexpr char kA[] = "127.0.0.2";
constexpr char kB[] = "127.0.0.3";

bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

struct SocketSide {
    explicit SocketSide(const char* address) : host(state), link(state, socket, host, box, clock) {
        error = socket.Open(address, kTestPort,
                            [this](std::span<const uint8_t> bytes, const std::string& from) {
                                link.OnDatagram(bytes, from);
                            });
    }
    SystemClock clock;
    LinkState state;
    UdpLinkSocket socket;
    RecordingHost host;
    ScriptedMessageBox box;
    NetLink link;
    std::string error;
};

TEST(LinkSocket, TwoConsolesLinkOverRealDatagramsWithDifferentKeys) {
    ASSERT_NE(ScrambleKey(kA), ScrambleKey(kB));
    SocketSide a(kA);
    SocketSide b(kB);
    ASSERT_EQ(a.error, "");
    ASSERT_EQ(b.error, "");
    for (int i = 0; i < kButtonCount; ++i) {
        SetCaption(b.host.records[static_cast<size_t>(i)], "cue " + std::to_string(i));
    }
    b.box.Answer("Ok");
    a.link.BeginConnect(kB, "b", true, nullptr);
    ASSERT_TRUE(WaitFor([&] {
        a.link.Poll();
        return a.link.connected() && !a.link.syncing();
    }));
    EXPECT_EQ(a.host.remoteShown, 1);
    EXPECT_EQ(CaptionOf(a.host.remote[335]), "cue 335");
    EXPECT_EQ(b.state.role(), LinkRole::kSlave);

    a.link.SendRunCommand(NetCommand::kStart, 200);
    ASSERT_TRUE(WaitFor([&] { return !b.host.starts.empty(); }));
    EXPECT_EQ(b.host.starts, std::vector<int>{200});
    a.link.Disconnect();
    ASSERT_TRUE(WaitFor([&] { return !b.link.connected(); }));
}

TEST(LinkSocket, AnOverlongDatagramIsNotCutToACommand) {
    SocketSide b(kB);
    ASSERT_EQ(b.error, "");
    b.link.BeginConnect(kA, "a", false, nullptr);
    UdpLinkSocket raw;
    ASSERT_EQ(raw.Open(kA, kTestPort, nullptr), "");
    // 601 bytes that start like a whole record.
    std::vector<uint8_t> bytes(601, 0);
    bytes[0] = 0x25;
    bytes[1] = 1;
    Scramble(bytes, ScrambleKey(kA));
    ASSERT_TRUE(raw.SendTo(kB, bytes));
    ASSERT_TRUE(WaitFor([&] { return b.link.ignored() == 1; }));
    EXPECT_FALSE(b.link.requestPending());
}

TEST(LinkSocket, APortInUseSaysWhy) {
    UdpLinkSocket first;
    ASSERT_EQ(first.Open(kA, kTestPort, nullptr), "");
    UdpLinkSocket second;
    EXPECT_EQ(second.Open(kA, kTestPort, nullptr), "Address already in use");
    EXPECT_FALSE(second.IsOpen());
    EXPECT_NE(second.Open("no address", kTestPort, nullptr), "");
}

TEST(LinkSocket, AllOf127IsLoopback) {
    for (const char* address : {"127.0.0.1", "127.0.1.1", "127.255.0.9", "", "host"}) {
        EXPECT_TRUE(IsLoopbackAddress(address)) << address;
    }
    for (const char* address : {"10.77.0.1", "128.0.0.1", "192.168.1.127"}) {
        EXPECT_FALSE(IsLoopbackAddress(address)) << address;
    }
}

TEST(LinkSocket, TheKeyComesFromTheAddressTowardThePeer) {
    UdpLinkSocket any;
    ASSERT_EQ(any.Open("0.0.0.0", kTestPort + 1, nullptr), "");
    EXPECT_EQ(any.LocalAddressToward("127.0.0.5"), "127.0.0.1");
    UdpLinkSocket bound;
    ASSERT_EQ(bound.Open(kB, kTestPort + 2, nullptr), "");
    EXPECT_EQ(bound.LocalAddressToward("127.0.0.5"), kB);
}

}  // namespace
}  // namespace tamberline::testing
