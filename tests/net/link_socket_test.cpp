#include "net/link_socket.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

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

// 10,000 datagrams a second for 10 s from a third host, aimed at both
// ends of a link: garbage of every length and well-formed commands keyed
// for the sender. Nothing of it acts, and the peer's own starts still go
// through on time.
TEST(LinkSocket, AFloodFromAThirdHostChangesNothing) {
    SocketSide a(kA);
    SocketSide b(kB);
    ASSERT_EQ(a.error + b.error, "");
    for (int i = 0; i < kButtonCount; ++i) {
        SetCaption(b.host.records[static_cast<size_t>(i)], "cue " + std::to_string(i));
    }
    b.box.Answer("Ok");
    a.link.BeginConnect(kB, "b", true, nullptr);
    ASSERT_TRUE(WaitFor([&] {
        a.link.Poll();
        return a.link.connected() && !a.link.syncing();
    }));
    const RecordArray shown = a.host.remote;

    constexpr char kThird[] = "127.0.0.9";
    std::atomic<bool> flooding{true};
    std::atomic<int> sent{0};
    std::thread flood([&] {
        UdpLinkSocket third;
        if (!third.Open(kThird, kTestPort, nullptr).empty()) {
            return;
        }
        NetMessage record;
        record.command = NetCommand::kRecord;
        record.button = 7;
        SetCaption(record.record, "forged");
        const std::vector<std::vector<uint8_t>> forged = {
            Scrambled(record, kThird),
            Scrambled({NetCommand::kStart, 3}, kThird),
            Scrambled({NetCommand::kStopAll}, kThird),
            Scrambled({NetCommand::kDisconnect}, kThird),
            Scrambled({NetCommand::kResync}, kThird),
        };
        uint32_t noise = 12345;
        std::vector<uint8_t> garbage(kMaxDatagram);
        const auto start = std::chrono::steady_clock::now();
        for (int n = 0; n < 100000 && flooding; ++n) {
            // Paced at 10 per millisecond.
            std::this_thread::sleep_until(start + std::chrono::microseconds(100 * n));
            const char* to = n % 2 ? kA : kB;
            if (n % 3 == 0) {
                third.SendTo(to, forged[static_cast<size_t>(n / 3) % forged.size()]);
            } else {
                noise = noise * 1103515245u + 12345u;
                garbage.resize((noise >> 8) % (kMaxDatagram + 1));
                for (uint8_t& byte : garbage) {
                    noise = noise * 1103515245u + 12345u;
                    byte = static_cast<uint8_t>(noise >> 16);
                }
                third.SendTo(to, garbage);
            }
            ++sent;
        }
    });
    // The peer's own starts, one each half second, keep arriving.
    std::vector<int> expected;
    for (int i = 0; i < 20; ++i) {
        a.link.SendRunCommand(NetCommand::kStart, 100 + i);
        expected.push_back(100 + i);
        EXPECT_TRUE(WaitFor([&] { return b.host.starts.size() == expected.size(); }, 1000)) << i;
        WaitFor([&] { return false; }, 500 - 1);
    }
    flooding = false;
    flood.join();
    EXPECT_GE(sent.load(), 90000);
    // It did arrive, and was dropped.
    EXPECT_GT(a.link.ignored(), 1000u);
    EXPECT_GT(b.link.ignored(), 1000u);
    EXPECT_EQ(b.host.starts, expected);
    EXPECT_EQ(b.host.stopAlls, 1);  // the master set-up's only
    EXPECT_TRUE(a.link.connected());
    EXPECT_TRUE(b.link.connected());
    EXPECT_FALSE(a.link.syncing());
    EXPECT_EQ(a.host.remoteShown, 1);
    EXPECT_EQ(0, std::memcmp(a.host.remote.data(), shown.data(), sizeof(RecordArray)));
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
