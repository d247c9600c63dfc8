// The input queue and the MIDI reader's pass, driven by hand on one thread.

#include "triggers/midi/midi_reader.h"

#include <gtest/gtest.h>

#include "fake_midi_driver.h"
#include "mtc_sender.h"
#include "triggers/ltc_presence.h"
#include "triggers/midi/midi_input_queue.h"
#include "triggers/midi/mtc_decoder.h"
#include "triggers/timecode_triggers.h"

namespace tamberline::testing {
namespace {

using Bytes = std::vector<uint8_t>;

class MidiReaderTest : public ::testing::Test {
protected:
    MidiReaderTest() {
        gate_.accept.store(true);
        gate_.ltcLocked = &ltc_.locked();
        queue_.Opening();
        clock_.Advance(MidiInputQueue::kSettleMs);
        reader_.Attach({&queue_});
        reader_.SetStartupComplete();
    }
    void Feed(const Bytes& bytes) { queue_.OnMidiEvent(bytes.data(), bytes.size()); }
    void FeedQuarterFrames(MtcSender& sender, int runs) {
        for (uint8_t data : sender.Runs(runs)) {
            Feed({0xF1, data});
        }
    }

    SharedClock clock_;
    LtcPresence ltc_;
    MidiInputGate gate_;
    Wakeup wake_;
    MidiInputQueue queue_{clock_, gate_, wake_};
    RecordingMidiTarget target_;
    TimecodeTriggers timecode_;
    std::vector<std::pair<int, std::string>> shown_;
    MtcDecoder mtc_{timecode_, [this](const std::string& t) { shown_.push_back({15, t}); }, {}};
    MidiReader reader_{{target_,
                        mtc_,
                        ltc_,
                        clock_,
                        [this](int field, const std::string& t) {
                            shown_.push_back({field, t});
                        },
                        {}}};
};

TEST_F(MidiReaderTest, AFloodFillsTheQueueInOrderRefusesTheRestAndSaysSo) {
    Bytes flood;
    for (int i = 0; i < 3000; ++i) {
        flood.insert(flood.end(), {0x90, static_cast<uint8_t>(1 + i % 127), 1});
    }
    Feed(flood);
    EXPECT_EQ(queue_.refused(), 3000u - MidiInputQueue::kSize);
    uint32_t message = 0;
    for (size_t i = 0; i < MidiInputQueue::kSize; ++i) {
        ASSERT_TRUE(queue_.Pop(message));
        ASSERT_EQ(message, 0x010090u | (1 + i % 127) << 8) << i;
    }
    EXPECT_FALSE(queue_.Pop(message));
    reader_.Checks();
    ASSERT_FALSE(shown_.empty());
    EXPECT_EQ(shown_.back(), std::make_pair(17, std::string(" Last midi :  952 messages lost ")));
}

TEST_F(MidiReaderTest, ClockSensingAndSysExNeverReachTheReader) {
    Bytes noise(1000, 0xF8);
    noise.insert(noise.end(), {0xFE, 0xF0, 1, 2, 3, 0xF7, 0xC0, 4, 0xE0, 0, 64});
    Feed(noise);
    uint32_t message = 0;
    EXPECT_FALSE(queue_.Pop(message));
}

TEST_F(MidiReaderTest, QuarterFramesFollowMtcOnlyWhileNoLtcIsThere) {
    MtcSender sender(2, 1, 0, 0, 0);
    ltc_.NoteFrame();  // present: queued but passed over
    FeedQuarterFrames(sender, 8);
    reader_.Drain();
    EXPECT_EQ(reader_.quarterFrames(), 0u);
    ltc_.SetLocked(true);  // locked: not even queued
    FeedQuarterFrames(sender, 8);
    uint32_t message = 0;
    EXPECT_FALSE(queue_.Pop(message));
    ltc_.ReaderDisabled();
    FeedQuarterFrames(sender, 8);
    reader_.Drain();
    EXPECT_EQ(reader_.quarterFrames(), 64u);
    EXPECT_TRUE(mtc_.running());
}

TEST_F(MidiReaderTest, LtcLostWhileUnlockedLetsMtcInAgainAfterFourChecks) {
    ltc_.NoteFrame();
    for (int check = 0; check < 4; ++check) {
        reader_.Checks();
    }
    MtcSender sender(1, 0, 0, 10, 0);
    FeedQuarterFrames(sender, 8);
    reader_.Drain();
    EXPECT_TRUE(mtc_.running());
}

TEST_F(MidiReaderTest, MessagesBeforeStartUpIsCompleteAreThrownAway) {
    MidiReader early{{target_, mtc_, ltc_, clock_, [](int, const std::string&) {}, {}}};
    early.Attach({&queue_});
    Feed({0x90, 60, 100});
    early.Drain();
    early.SetStartupComplete();
    Feed({0x90, 61, 100});
    early.Drain();
    EXPECT_EQ(target_.Actions(), (std::vector<MidiAction>{{MidiAction::Kind::kNoteOn, 1, 61}}));
}

}  // namespace
}  // namespace tamberline::testing
