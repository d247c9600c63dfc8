// MIDI end to end on the JACK dummy server of the test services: real MIDI
// from another JACK program starts buttons heard at the engine's output,
// starts and stops are echoed to it, its timecode locks, and bad input or a
// vanishing program stalls nothing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "fake_midi_driver.h"
#include "midi_on_jack.h"
#include "mtc_sender.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

using Bytes = std::vector<uint8_t>;

class MidiJackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("TAMBERLINE_JACK") == nullptr) {
            GTEST_SKIP() << "no JACK server: run scripts/test-services.sh start";
        }
        std::string why;
        ASSERT_TRUE(jack_.Start(why)) << why;
        tone_ = MidiOnJack::WriteTone(dir_.Path(), 3.0);
    }
    bool StatusIs(const std::string& text) {
        return WaitFor([&] {
            const std::vector<std::string> texts = jack_.Status(17);
            return !texts.empty() && texts.back() == text;
        });
    }
    // Everything the peer received after its first `skip` events.
    std::vector<Bytes> ReceivedAfter(size_t skip, size_t count) {
        std::vector<Bytes> got;
        WaitFor([&] { return jack_.peer().Received().size() >= skip + count; });
        const std::vector<Bytes> all = jack_.peer().Received();
        for (size_t i = skip; i < all.size(); ++i) {
            got.push_back(all[i]);
        }
        return got;
    }

    TempDir dir_;
    ScriptedMessageBox box_;
    MidiOnJack jack_{dir_.File("Tamberline.conf"), box_};
    std::string tone_;
};

TEST_F(MidiJackTest, ANoteOnStartsItsButtonOnTheEngineOutput) {
    jack_.run().LoadRecord(5, jack_.Button(tone_, 60, 0));
    jack_.run().LoadRecord(6, jack_.Button(tone_, 61, 0));
    ASSERT_TRUE(jack_.peer().Listen(jack_.FirstOutputPort()));
    ASSERT_TRUE(jack_.OpenMidi());
    jack_.peer().ArmSoundWatch();
    ASSERT_TRUE(jack_.peer().Send({0x93, 60, 100}));
    ASSERT_TRUE(WaitFor([&] { return jack_.run().Snapshot(5).running; }));
    EXPECT_TRUE(WaitFor([&] { return jack_.peer().SoundFrame() != 0; }))
        << "no sound at the output";
    EXPECT_FALSE(jack_.run().Snapshot(6).running);
    EXPECT_TRUE(StatusIs(" Last midi :  Ch4 Note60 On "));
    EXPECT_TRUE(box_.Texts().empty());
}

TEST_F(MidiJackTest, StartsAndStopsAreEchoedAndStopAllSendsSeventeenMessages) {
    jack_.run().LoadRecord(7, jack_.Button(tone_, 64, 2));
    ASSERT_TRUE(jack_.OpenMidi());
    jack_.run().StartButton(7);
    EXPECT_EQ(ReceivedAfter(0, 1), (std::vector<Bytes>{{0x91, 64, 127}}));
    // The release sends its note off, and so does the stop it ends in.
    jack_.run().ReleaseButton(7);
    EXPECT_EQ(ReceivedAfter(1, 2), (std::vector<Bytes>{{0x81, 64, 127}, {0x81, 64, 127}}));
    // Stop All drops a start still being prepared, so it waits for the echo.
    jack_.run().StartButton(7);
    EXPECT_EQ(ReceivedAfter(3, 1), (std::vector<Bytes>{{0x91, 64, 127}}));
    jack_.run().StopAll();
    std::vector<Bytes> expected;
    for (uint8_t channel = 0; channel < 16; ++channel) {
        expected.push_back({static_cast<uint8_t>(0xB0 | channel), 120, 0});
    }
    expected.push_back({0xFF});
    EXPECT_EQ(ReceivedAfter(4, expected.size()), expected);
}

TEST_F(MidiJackTest, QuarterFramesFromAnotherProgramLockAndCountFrames) {
    ASSERT_TRUE(jack_.OpenMidi());
    MtcSender sender(1, 10, 0, 0, 0);
    for (uint8_t data : sender.Runs(8)) {
        ASSERT_TRUE(jack_.peer().Send({0xF1, data}));
    }
    ASSERT_TRUE(WaitFor([&] { return jack_.ports().mtc().running(); }));
    const uint32_t locked = static_cast<uint32_t>(sender.Count(10, 0, 0, 10) + 1);
    EXPECT_EQ(jack_.timecode().positions(), std::vector<uint32_t>{locked});
    EXPECT_TRUE(WaitFor([&] { return jack_.timecode().reached().size() == 4; }));
    EXPECT_EQ(jack_.timecode().reached().back(), locked + 4);
}

// Running status, messages cut short, system-exclusive bursts, clock and
// active-sensing floods, then 10,000 notes a second for ten seconds: the
// note after all that still starts its button and says so.
TEST_F(MidiJackTest, BadInputAndFloodsStallNothing) {
    jack_.run().LoadRecord(0, jack_.Button(tone_, 60, 1));
    ASSERT_TRUE(jack_.OpenMidi());
    JackMidiPeer& peer = jack_.peer();
    ASSERT_TRUE(peer.Send({0x90, 100, 1, 101, 1, 102}));  // running status, cut short
    ASSERT_TRUE(peer.Send({0x80, 100}));
    Bytes sysex(1000, 0x11);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(peer.Send(sysex));
    }
    ASSERT_TRUE(WaitFor([&] { return peer.Idle(); }));
    for (int burst = 0; burst < 100; ++burst) {
        for (int i = 0; i < 50; ++i) {
            peer.Send({0xF8});
            peer.Send({0xFE});
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const auto start = std::chrono::steady_clock::now();
    for (int ms = 0; ms < 10000; ++ms) {
        for (int i = 0; i < 10; ++i) {
            peer.Send({0x95, static_cast<uint8_t>(100 + i), 64});
        }
        std::this_thread::sleep_until(start + std::chrono::milliseconds(ms + 1));
    }
    ASSERT_TRUE(WaitFor([&] { return peer.Idle(); }));
    // On a busy machine the reader may still be working through the flood;
    // a full queue refuses what comes, so the next note waits for room.
    ASSERT_TRUE(WaitFor([&] { return jack_.ports().InputsDrained(); }));
    EXPECT_FALSE(jack_.run().Snapshot(0).running);
    ASSERT_TRUE(peer.Send({0x90, 60, 100}));
    EXPECT_TRUE(WaitFor([&] { return jack_.run().Snapshot(0).running; }));
    EXPECT_TRUE(StatusIs(" Last midi :  Ch1 Note60 On "));
}

TEST_F(MidiJackTest, AProgramThatQuitsWhileOpenIsNamedAndMidiClosesCleanly) {
    ASSERT_TRUE(jack_.OpenMidi());
    const std::string name = jack_.peer().SourcePort();
    jack_.peer().Close();
    EXPECT_TRUE(StatusIs(" Last midi :  " + name + " gone "));
    jack_.out().Queue(std::vector<uint32_t>{0x7F3C90});
    jack_.ports().Close();
    EXPECT_FALSE(jack_.ports().IsOpen());
}

}  // namespace
}  // namespace tamberline::testing
