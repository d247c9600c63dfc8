#include "net/net_link.h"

#include <gtest/gtest.h>

#include "net/link_fixture.h"

namespace tamberline::testing {
namespace {

constexpr char kA[] = "10.77.0.1";
constexpr char kB[] = "10.77.0.2";
constexpr char kThird[] = "10.77.0.9";

ButtonRecord Assigned(const std::string& path) {
    ButtonRecord record{};
    SetPath(record, path);
    record.status = STATUS_ASSIGNED;
    record.volume = 90;
    return record;
}

class NetLinkTest : public ::testing::Test {
protected:
    NetLinkTest() {
        for (int i = 0; i < kButtonCount; ++i) {
            b.host.records[static_cast<size_t>(i)] = Assigned("/show/cue" + std::to_string(i));
        }
    }
    // A asks B; B's operator answers `answer`.
    void Connect(bool aMaster, const std::string& answer = "Ok") {
        b.box.box.Answer(answer);
        a.link.BeginConnect(kB, "hostB", aMaster, &watcher);
        wire.Pump();
    }
    void Deliver(const NetMessage& message, const std::string& from, const std::string& to) {
        wire.Put({from, to, Scrambled(message, from)});
        wire.Pump();
    }
    static NetMessage Code(NetCommand command, int button = -1) {
        NetMessage m;
        m.command = command;
        m.button = button;
        return m;
    }

    ManualClock clock;
    Wire wire;
    LinkSide a{wire, kA, clock};
    LinkSide b{wire, kB, clock};
    Watcher watcher;
};

TEST_F(NetLinkTest, AMasterAsksAcceptsAndCopiesEveryRecord) {
    Connect(/*aMaster=*/true);
    ASSERT_EQ(b.box.box.shown().size(), 1u);
    EXPECT_EQ(b.box.box.shown()[0].text,
              "Connection request received from\nhost-10.77.0.1\n10.77.0.1\n\n"
              "This computer to be slave.");
    EXPECT_EQ(watcher.progress, std::vector<std::string>{"Remote found, waiting for reply."});
    EXPECT_EQ(watcher.finished, 1);
    EXPECT_TRUE(a.link.connected());
    EXPECT_TRUE(a.link.isMaster());
    EXPECT_EQ(a.state.role(), LinkRole::kMaster);
    EXPECT_EQ(b.state.role(), LinkRole::kSlave);
    EXPECT_FALSE(a.link.syncing());
    EXPECT_EQ(a.host.remoteShown, 1);
    EXPECT_EQ(0, std::memcmp(a.host.remote.data(), b.host.records.data(), sizeof(RecordArray)));
    EXPECT_EQ(a.link.Title(), "Master, controlling hostB 10.77.0.2");
    EXPECT_EQ(b.link.Title(), "Slave, controlled by host-10.77.0.1 10.77.0.1");
    EXPECT_TRUE(a.box.box.shown().empty());
}

TEST_F(NetLinkTest, TheMasterStopsItsOwnShowBeforeItOnlySends) {
    Connect(true);
    EXPECT_EQ(a.host.localStopRole, LinkRole::kNone);
    // ... and then tells the slave to stop all.
    EXPECT_EQ(b.host.stopAlls, 1);
}

TEST_F(NetLinkTest, ASlaveRequesterIsToldItWasAccepted) {
    Connect(/*aMaster=*/false);
    EXPECT_EQ(b.box.box.shown()[0].text,
              "Connection request received from\nhost-10.77.0.1\n10.77.0.1\n\n"
              "This computer to be master.");
    EXPECT_EQ(a.state.role(), LinkRole::kSlave);
    EXPECT_EQ(b.state.role(), LinkRole::kMaster);
    EXPECT_EQ(a.box.box.Texts(), std::vector<std::string>{"Connection request accepted."});
    EXPECT_EQ(b.host.remoteShown, 1);
}

TEST_F(NetLinkTest, ADeniedRequestLinksNothing) {
    Connect(true, "Cancel");
    EXPECT_EQ(a.box.box.Texts(), std::vector<std::string>{"Connection request denied."});
    EXPECT_FALSE(a.link.connected());
    EXPECT_FALSE(b.link.connected());
    EXPECT_FALSE(a.link.requestPending());
    EXPECT_EQ(watcher.finished, 1);
}

TEST_F(NetLinkTest, AnUnansweredProbeGivesUpAndALateAnswerLinksNothing) {
    a.link.BeginConnect(kB, "hostB", true, &watcher);
    wire.Clear();  // the probe is lost
    clock.Advance(NetLink::kProbeTimeoutMs - 1);
    a.link.Poll();
    EXPECT_EQ(watcher.unanswered, 0);
    clock.Advance(1);
    a.link.Poll();
    EXPECT_EQ(watcher.unanswered, 1);
    EXPECT_FALSE(a.link.connecting());
    // A "present" and an accept after the time-out are stale.
    Deliver(Code(NetCommand::kPresent), kB, kA);
    Deliver(Code(NetCommand::kAccepted), kB, kA);
    EXPECT_FALSE(a.link.connected());
    EXPECT_EQ(a.state.role(), LinkRole::kNone);
    EXPECT_EQ(a.host.stopAlls, 0);
    EXPECT_TRUE(wire.CodesFrom(kA).empty());
}

TEST_F(NetLinkTest, CancelWithdrawsTheRequestAndClearsTheFlag) {
    a.link.BeginConnect(kB, "hostB", true, &watcher);
    b.box.meanwhile = [this] {
        // While B's operator reads the question, A cancels.
        a.link.CancelConnect();
        wire.Pump();
    };
    b.box.box.Answer("Ok");
    b.box.box.Answer("Ok");
    wire.Pump();
    EXPECT_FALSE(a.link.requestPending());
    EXPECT_EQ(b.host.questionsClosed, 1);
    EXPECT_FALSE(b.link.connected());
    EXPECT_FALSE(a.link.connected());
    ASSERT_EQ(b.box.box.Texts().size(), 2u);
    EXPECT_EQ(b.box.box.Texts()[1], "Remote computer cancelled\nthe connection request.");
    // The accept B would have sent never went out.
    for (int code : wire.CodesFrom(kB)) {
        EXPECT_NE(code, 4);
    }
}

TEST_F(NetLinkTest, ARequestWithoutAProbeAsksNobody) {
    Deliver(Code(NetCommand::kRequestYouSlave), kA, kB);
    EXPECT_TRUE(b.box.box.shown().empty());
    Deliver(Code(NetCommand::kAccepted), kA, kB);
    EXPECT_FALSE(b.link.connected());
}

TEST_F(NetLinkTest, OnceLinkedAThirdHostIsNotHeard) {
    Connect(true);
    const RecordArray before = a.host.remote;
    NetMessage record = Code(NetCommand::kRecord, 4);
    record.record = Assigned("/evil.wav");
    struct Case {
        NetMessage message;
        std::string to;
    };
    const Case cases[] = {
        {Code(NetCommand::kStart, 1), kB},
        {Code(NetCommand::kStopAll), kB},
        {Code(NetCommand::kDisconnect), kB},
        {Code(NetCommand::kResync), kA},
        {record, kA},
        {Code(NetCommand::kStarted, 2), kA},
        {Code(NetCommand::kProbe), kB},
        {Code(NetCommand::kRequestYouSlave), kB},
    };
    const int bStopAlls = b.host.stopAlls;
    for (const Case& c : cases) {
        Deliver(c.message, kThird, c.to);
    }
    EXPECT_TRUE(b.host.starts.empty());
    EXPECT_EQ(b.host.stopAlls, bStopAlls);
    EXPECT_TRUE(b.link.connected());
    EXPECT_FALSE(a.link.syncing());
    EXPECT_EQ(0, std::memcmp(a.host.remote.data(), before.data(), sizeof(RecordArray)));
    EXPECT_FALSE(a.host.shown[2].running);
    EXPECT_TRUE(b.box.box.shown().size() == 1);
    EXPECT_EQ(b.link.ignored() + a.link.ignored(), 8u);
}

TEST_F(NetLinkTest, TheSlavePlaysWhatTheMasterSends) {
    Connect(true);
    a.link.SendRunCommand(NetCommand::kStart, 12);
    a.link.SendRunCommand(NetCommand::kRelease, 12);
    a.link.SendRunCommand(NetCommand::kStopAll, -1);
    wire.Pump();
    EXPECT_EQ(b.host.starts, std::vector<int>{12});
    EXPECT_EQ(b.host.releases, std::vector<int>{12});
    EXPECT_EQ(b.host.stopAlls, 2);
    // Out-of-range buttons never leave.
    const size_t sent = wire.sent.size();
    a.link.SendRunCommand(NetCommand::kStart, 336);
    a.link.SendRunCommand(NetCommand::kStart, -1);
    EXPECT_EQ(wire.Pump(), 0);
    EXPECT_EQ(wire.sent.size(), sent);
}

TEST_F(NetLinkTest, ARepeatedStartDatagramDoesNotRestartTheCue) {
    Connect(true);
    const std::vector<uint8_t> start = Scrambled(Code(NetCommand::kStart, 5), kA);
    wire.Put({kA, kB, start});
    wire.Put({kA, kB, start});
    wire.Pump();
    EXPECT_EQ(b.host.starts, std::vector<int>{5});
    clock.Advance(NetLink::kRepeatedStartMs);
    wire.Put({kA, kB, start});
    wire.Pump();
    EXPECT_EQ(b.host.starts, (std::vector<int>{5, 5}));
}

TEST_F(NetLinkTest, AShortDatagramReplaysNothing) {
    Connect(true);
    Deliver(Code(NetCommand::kStart, 7), kA, kB);
    clock.Advance(1000);
    // "%" and 9 only: the index of the last start must not be reused.
    wire.Put({kA, kB, ScrambledBytes({0x25, 9}, kA)});
    wire.Put({kA, kB, ScrambledBytes({0x25, 9, 0}, kA)});
    wire.Pump();
    EXPECT_EQ(b.host.starts, std::vector<int>{7});
}

TEST_F(NetLinkTest, ASlaveNeverTakesARecordAndAMasterNeverPlays) {
    Connect(true);
    NetMessage record = Code(NetCommand::kRecord, 3);
    record.record = Assigned("/from/master.wav");
    Deliver(record, kA, kB);
    EXPECT_EQ(PathOf(b.host.records[3]), "/show/cue3");
    Deliver(Code(NetCommand::kStart, 3), kB, kA);
    Deliver(Code(NetCommand::kGetRecord, 3), kB, kA);
    EXPECT_TRUE(a.host.starts.empty());
    EXPECT_EQ(b.link.ignored(), 1u);
    EXPECT_EQ(a.link.ignored(), 2u);
}

TEST_F(NetLinkTest, TheMasterShowsWhatTheSlaveReports) {
    Connect(true);
    Deliver(Code(NetCommand::kStarted, 9), kB, kA);
    EXPECT_TRUE(a.host.shown[9].running);
    struct Case {
        RemoteState state;
        LinkRunView expected;
    };
    // Each report on top of a running, locked button.
    const Case cases[] = {
        {RemoteState::kIdle, {false, false, false, false, true, 1500}},
        {RemoteState::kRunning, {true, false, false, false, true, 1500}},
        {RemoteState::kPaused, {false, true, false, false, true, 1500}},
        {RemoteState::kLocked, {true, false, false, false, true, 1500}},
        {RemoteState::kFadingIn, {true, false, true, false, true, 1500}},
        {RemoteState::kFadingOut, {true, false, false, true, true, 1500}},
    };
    for (const Case& c : cases) {
        LinkRunView before{true, false, false, false, true, 0};
        EXPECT_EQ(ApplyRemoteState(before, c.state, 1500), c.expected) << static_cast<int>(c.state);
    }
    b.host.runs[9] = {true, false, true, false, false, 4321};
    clock.Advance(NetLink::kStateReportMs);
    b.link.Poll();
    wire.Pump();
    EXPECT_EQ(a.host.shown[9], (LinkRunView{true, false, true, false, false, 4321}));
    Deliver(Code(NetCommand::kStopped, 9), kB, kA);
    EXPECT_FALSE(a.host.shown[9].running);
}

TEST_F(NetLinkTest, TheSlaveReportsARunningClockEveryPassAndAStillButtonOnce) {
    Connect(true);
    wire.sent.clear();
    b.host.runs[1] = {true, false, false, false, false, 9000};
    b.host.runs[2] = {false, true, false, false, false, 500};
    for (int pass = 0; pass < 3; ++pass) {
        clock.Advance(NetLink::kStateReportMs);
        b.link.Poll();
        b.host.runs[1].remainingMs -= 100;
    }
    wire.Pump();
    EXPECT_EQ(wire.CodesFrom(kB), (std::vector<int>{13, 13, 13, 13}));
    EXPECT_EQ(a.host.shown[1].remainingMs, 8800);
    EXPECT_TRUE(a.host.shown[2].paused);
}

TEST_F(NetLinkTest, SpaceClearsTheBuzzersOnBothSides) {
    Connect(true);
    NetMessage locked = Code(NetCommand::kState, 4);
    locked.state = RemoteState::kLocked;
    Deliver(locked, kB, kA);
    ASSERT_TRUE(a.host.shown[4].locked);
    a.link.SendClearBuzzers();
    wire.Pump();
    EXPECT_FALSE(a.host.shown[4].locked);
    EXPECT_EQ(b.host.buzzerClears, 1);
    b.link.SendClearBuzzers();
    wire.Pump();
    EXPECT_EQ(a.host.buzzerClears, 1);
}

TEST_F(NetLinkTest, ALostRecordIsAskedForAgainAndAStrayOneIsIgnored) {
    bool dropped = false;
    wire.drop = [&dropped](const Wire::Packet& p) {
        // The first answer carrying record 5 is lost.
        if (!dropped && p.from == kB && p.bytes.size() == 600 &&
            uint8_t(p.bytes[3] - ScrambleKey(kB)) == 5) {
            dropped = true;
            return true;
        }
        return false;
    };
    Connect(true);
    ASSERT_TRUE(dropped);
    EXPECT_TRUE(a.link.syncing());
    // A record for an index nobody waits for changes nothing.
    NetMessage stray = Code(NetCommand::kRecord, 300);
    stray.record = Assigned("/stray.wav");
    Deliver(stray, kB, kA);
    EXPECT_TRUE(a.link.syncing());
    clock.Advance(NetLink::kRecordRetryMs);
    a.link.Poll();
    wire.Pump();
    EXPECT_FALSE(a.link.syncing());
    EXPECT_EQ(a.host.remoteShown, 1);
    EXPECT_EQ(PathOf(a.host.remote[5]), "/show/cue5");
    EXPECT_EQ(PathOf(a.host.remote[300]), "/show/cue300");
}

TEST_F(NetLinkTest, ASlaveThatVanishesMidCopyEndsTheLinkWithNoRecordChanged) {
    int answers = 0;
    wire.drop = [&answers](const Wire::Packet& p) {
        return p.from == kB && p.bytes.size() == 600 && ++answers > 100;
    };
    Connect(true);
    EXPECT_TRUE(a.link.syncing());
    for (uint32_t t = 0; t < NetLink::kSyncDeadlineMs; t += 10) {
        clock.Advance(10);
        a.link.Poll();
        wire.Pump();
    }
    EXPECT_FALSE(a.link.connected());
    EXPECT_EQ(a.state.role(), LinkRole::kNone);
    EXPECT_EQ(a.host.remoteShown, 0);
    EXPECT_EQ(a.box.box.Texts(),
              std::vector<std::string>{"Slave failed to respond.\nRemote disconnected."});
    EXPECT_EQ(a.host.restores, 1);
    EXPECT_EQ(a.host.restoreRole, LinkRole::kNone);
    // The slave was told.
    EXPECT_FALSE(b.link.connected());
}

TEST_F(NetLinkTest, AResyncDuringACopyRunsOneMoreCopyAfterIt) {
    b.box.box.Answer("Ok");
    a.link.BeginConnect(kB, "hostB", true, &watcher);
    wire.Pump(6);  // probe, present, request, accept, the first asks
    ASSERT_TRUE(a.link.syncing());
    b.link.SendResync();
    b.link.SendResync();
    wire.Pump();
    EXPECT_FALSE(a.link.syncing());
    EXPECT_EQ(a.host.remoteShown, 2);
}

TEST_F(NetLinkTest, DisconnectEndsBothSidesAndTheMasterGetsItsSessionBack) {
    Connect(true);
    a.link.Disconnect();
    wire.Pump();
    EXPECT_FALSE(a.link.connected());
    EXPECT_EQ(a.host.restores, 1);
    EXPECT_EQ(a.host.restoreRole, LinkRole::kNone);
    EXPECT_FALSE(b.link.connected());
    EXPECT_EQ(b.state.role(), LinkRole::kNone);
    EXPECT_EQ(b.host.restores, 0);
    EXPECT_EQ(b.box.box.Texts().back(), "Remote disconnected.\n");
    EXPECT_TRUE(a.link.Title().empty());
}

TEST_F(NetLinkTest, ANetworkLossEndsTheLink) {
    Connect(true);
    a.link.OnNetworkLost();
    EXPECT_FALSE(a.link.connected());
    EXPECT_EQ(a.box.box.Texts(), std::vector<std::string>{"Network connection lost."});
}

TEST_F(NetLinkTest, ClosingWithdrawsARequestAndEndsALinkQuietly) {
    a.link.BeginConnect(kB, "hostB", true, &watcher);
    a.link.Close();
    EXPECT_EQ(wire.Pump(), 3);  // the probe, its answer, the withdrawal
    EXPECT_EQ(wire.CodesFrom(kA), (std::vector<int>{0, 6}));

    LinkSide c{wire, "10.77.0.3", clock};
    LinkSide d{wire, "10.77.0.4", clock};
    d.box.box.Answer("Ok");
    c.link.BeginConnect("10.77.0.4", "d", true, nullptr);
    wire.Pump();
    ASSERT_TRUE(c.link.connected());
    c.link.Close();
    wire.Pump();
    EXPECT_FALSE(d.link.connected());
    EXPECT_EQ(c.host.restores, 0);
    EXPECT_TRUE(c.box.box.shown().empty());
}

TEST_F(NetLinkTest, AProbeFloodIsAnsweredAFewTimesASecond) {
    for (int i = 0; i < 1000; ++i) {
        wire.Put({kThird, kB, Scrambled(Code(NetCommand::kProbe), kThird)});
    }
    wire.Pump();
    EXPECT_EQ(wire.CodesFrom(kB).size(), static_cast<size_t>(NetLink::kProbeAnswersPerSecond));
}

}  // namespace
}  // namespace tamberline::testing
