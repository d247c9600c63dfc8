#include "triggers/midi/mtc_decoder.h"

#include <gtest/gtest.h>

#include "mtc_sender.h"
#include "triggers/timecode_triggers.h"

namespace tamberline::testing {
namespace {

struct RecordingTriggers final : TimecodeTriggers {
    void PositionCursor(uint32_t frameCount, int fps) override {
        positions.push_back(frameCount);
        rate = fps;
    }
    void FrameCountReached(uint32_t frameCount) override { reached.push_back(frameCount); }
    std::vector<uint32_t> positions;
    std::vector<uint32_t> reached;
    int rate = 0;
};

class Mtc : public ::testing::Test {
protected:
    void Feed(MtcSender& sender, int runs) {
        for (uint8_t data : sender.Runs(runs)) {
            mtc_.QuarterFrame(data);
        }
    }
    RecordingTriggers triggers_;
    std::vector<std::string> shown_;
    bool master_ = false;
    MtcDecoder mtc_{triggers_, [this](const std::string& t) { shown_.push_back(t); },
                    [this] { return master_; }};
};

TEST_F(Mtc, LocksAfterMoreThanEightFramesAtTheCountOfTheTimeSent) {
    MtcSender sender(1, 1, 2, 3, 4);
    // The first run sets the rate; four more make 8 frame ticks: not yet.
    Feed(sender, 5);
    EXPECT_FALSE(mtc_.running());
    Feed(sender, 1);
    ASSERT_TRUE(mtc_.running());
    // The last run carried 01:02:03:14; piece 4 already moved one frame on.
    const uint32_t locked = static_cast<uint32_t>(sender.Count(1, 2, 3, 14) + 1);
    EXPECT_EQ(triggers_.positions, std::vector<uint32_t>{locked});
    EXPECT_EQ(triggers_.rate, 25);
    Feed(sender, 1);
    EXPECT_EQ(triggers_.reached, (std::vector<uint32_t>{locked + 1, locked + 2}));
}

TEST_F(Mtc, ThirtyDropFrameCountsThirtyAndShowsItsName) {
    MtcSender sender(2, 0, 0, 58, 0);
    Feed(sender, 30);  // past 00:00:59
    EXPECT_EQ(mtc_.rate(), 30);
    ASSERT_FALSE(shown_.empty());
    EXPECT_EQ(shown_.back(), " 00:00:59  30DF MTC ");
    EXPECT_EQ(mtc_.frameCounter(), static_cast<uint32_t>(sender.Count(0, 0, 59, 28) + 1));
}

// Seconds 15 to 16 change both nibbles: assembled piece by piece this read
// as a jump and unlocked.
TEST_F(Mtc, SecondsThatChangeBothNibblesStayLocked) {
    for (int second : {14, 30, 46, 58}) {
        MtcSender sender(3, 23, 59, second, 0);
        Feed(sender, 6);
        ASSERT_TRUE(mtc_.running());
        const size_t positions = triggers_.positions.size();
        Feed(sender, 45);  // three seconds on, over the nibble change (and midnight)
        EXPECT_TRUE(mtc_.running()) << second;
        EXPECT_EQ(triggers_.positions.size(), positions) << "relocked near second " << second;
        mtc_.Reset();
    }
}

TEST_F(Mtc, MidnightGoesOnFromFrameZero) {
    MtcSender sender(3, 23, 59, 59, 0);
    Feed(sender, 6);
    ASSERT_TRUE(mtc_.running());
    Feed(sender, 30);
    EXPECT_TRUE(mtc_.running());
    EXPECT_EQ(mtc_.frameCounter(), static_cast<uint32_t>(sender.Count(0, 0, 1, 10) + 1));
    EXPECT_EQ(shown_.back(), " 00:00:01  30ND MTC ");
}

// A jump of whole minutes keeps the seconds running: a check on seconds
// alone never saw it.
TEST_F(Mtc, AJumpThatKeepsTheSecondsRunningIsFollowed) {
    MtcSender sender(1, 0, 10, 0, 0);
    Feed(sender, 6);
    ASSERT_TRUE(mtc_.running());
    sender.JumpTo(0, 20, 0, 12);
    Feed(sender, 1);
    EXPECT_FALSE(mtc_.running());
    Feed(sender, 5);
    ASSERT_TRUE(mtc_.running());
    EXPECT_EQ(triggers_.positions.back(), mtc_.frameCounter());
    EXPECT_EQ(mtc_.frameCounter(), static_cast<uint32_t>(sender.Count(0, 20, 0, 12 + 10) + 1));
}

TEST_F(Mtc, ARateChangeUnlocks) {
    MtcSender fast(3, 0, 0, 10, 0);
    Feed(fast, 6);
    ASSERT_TRUE(mtc_.running());
    MtcSender slow(0, 0, 0, 20, 0);
    Feed(slow, 1);
    EXPECT_FALSE(mtc_.running());
    EXPECT_EQ(mtc_.rate(), 24);
}

TEST_F(Mtc, MoreThanThreeChecksWithoutQuarterFramesLoseTheLock) {
    MtcSender sender(1, 0, 0, 10, 0);
    Feed(sender, 6);
    for (int check = 0; check < 3; ++check) {
        mtc_.LossCheck();
    }
    EXPECT_TRUE(mtc_.running());
    Feed(sender, 1);  // a quarter frame starts the count again
    for (int check = 0; check < 3; ++check) {
        mtc_.LossCheck();
    }
    EXPECT_TRUE(mtc_.running());
    mtc_.LossCheck();
    EXPECT_FALSE(mtc_.running());
    EXPECT_EQ(shown_.back(), "");
}

TEST_F(Mtc, ImpossibleTimesAndBrokenRunsNeverLock) {
    // Frame 31 at 25 fps, and data bytes with the top bit set.
    for (int run = 0; run < 10; ++run) {
        for (int piece = 0; piece < 8; ++piece) {
            mtc_.QuarterFrame(static_cast<uint8_t>(piece << 4 | (piece == 1 ? 1 : 0xF)));
            mtc_.QuarterFrame(0x80 | static_cast<uint8_t>(piece));
        }
    }
    EXPECT_FALSE(mtc_.running());
    // Pieces out of order never make a time.
    MtcSender sender(1, 0, 0, 10, 0);
    std::vector<uint8_t> data = sender.Runs(10);
    for (size_t i = 0; i + 8 <= data.size(); i += 8) {
        std::swap(data[i + 2], data[i + 3]);
    }
    for (uint8_t d : data) {
        mtc_.QuarterFrame(d);
    }
    EXPECT_FALSE(mtc_.running());
}

TEST_F(Mtc, ALinkedMasterFiresNothing) {
    master_ = true;
    MtcSender sender(1, 0, 0, 10, 0);
    Feed(sender, 8);
    EXPECT_TRUE(mtc_.running());
    EXPECT_TRUE(triggers_.positions.empty());
    EXPECT_TRUE(triggers_.reached.empty());
}

}  // namespace
}  // namespace tamberline::testing
