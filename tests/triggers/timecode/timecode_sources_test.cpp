// The timecode triggers' owner driven by hand: the table at each rate, LTC
// lock, jumps, loss and firing, MIDI timecode behind LTC, and the clock.

#include "triggers/timecode/timecode_sources.h"

#include <gtest/gtest.h>

#include <map>

#include "support/manual_clock.h"
#include "triggers/ltc_presence.h"

namespace tamberline::testing {
namespace {

uint32_t StartTime(int h, int m, int s, int f) {
    return static_cast<uint32_t>(f + 30 * (s + 60 * (m + 60 * h)));
}

LtcFrame MakeFrame(int secondOfDay, int f, bool dropFrame = false) {
    LtcFrame frame;
    auto put = [&frame](int first, int count, int value) {
        for (int i = 0; i < count; ++i) {
            if ((value >> i) & 1) {
                const int n = first + i;
                frame.bits[static_cast<size_t>(n / 32)] |= 1U << (n % 32);
            }
        }
    };
    const int h = secondOfDay / 3600, m = secondOfDay / 60 % 60, s = secondOfDay % 60;
    put(0, 4, f % 10);
    put(8, 2, f / 10);
    put(10, 1, dropFrame ? 1 : 0);
    put(16, 4, s % 10);
    put(24, 3, s / 10);
    put(32, 4, m % 10);
    put(40, 3, m / 10);
    put(48, 4, h % 10);
    put(56, 2, h / 10);
    return frame;
}

TEST(TimecodeTable, FrameValuesFollowTheRateOfTheSource) {
    const struct {
        uint32_t startTime;
        int rate;
        uint32_t frameValue;
    } cases[] = {
        {StartTime(1, 0, 0, 0), 25, 3600 * 25},
        {StartTime(1, 0, 0, 12), 24, 3600 * 24 + 12},
        {StartTime(1, 0, 0, 29), 25, 3601 * 25 + 4},  // frame 29 is frame 4 of the next second
        {StartTime(1, 0, 0, 29), 30, 3600 * 30 + 29},
        {StartTime(23, 59, 59, 29), 25, 4},                 // past the day: early the next
        {StartTime(25, 0, 0, 0), 25, 3600 * 25},            // start times wrap at a day
        {StartTime(1, 0, 0, 5), 0, StartTime(1, 0, 0, 5)},  // no source: the raw value
    };
    for (const auto& c : cases) {
        TimecodeStarts starts{};
        starts[7] = {true, c.startTime};
        TimecodeTable table;
        table.Rebuild(starts, c.rate);
        ASSERT_EQ(table.entries().size(), 1U);
        EXPECT_EQ(table.entries()[0].frameValue, c.frameValue) << c.startTime << " @" << c.rate;
        EXPECT_EQ(table.entries()[0].button, 7);
    }
}

TEST(TimecodeTable, WithoutStartTimesNothingIsArmed) {
    TimecodeStarts starts{};
    starts[3] = {false, StartTime(1, 0, 0, 0)};
    TimecodeTable table;
    table.Rebuild(starts, 25);
    table.PositionByFrame(0);
    table.PositionBySecond(0);
    EXPECT_FALSE(table.armed());
    std::vector<int> due;
    table.FireFrame(3600 * 25, due);
    table.FireSecond(3600, due);
    EXPECT_TRUE(due.empty());
}

class TimecodeSourcesTest : public ::testing::Test {
protected:
    TimecodeSourcesTest() {
        clock_.SetLocalTime(9, 0, 0);
        sources_.SetStartupComplete();
    }

    void SetStart(int button, uint32_t startTime) {
        starts_[static_cast<size_t>(button)] = {true, startTime};
        sources_.SetStarts(starts_);
    }
    // Frames (s, f) .. as the reader hands them on, each heard 1000/rate ms
    // after the one before.
    void Play(int secondOfDay, int frame, int count, int rate, bool dropFrame = false) {
        for (int i = 0; i < count; ++i) {
            LtcArrival arrival{MakeFrame(secondOfDay, frame, dropFrame), rate, clock_.TickCount()};
            heardMs_[secondOfDay * rate + frame] = clock_.TickCount();
            sources_.LtcFrames(std::span(&arrival, 1));
            Ticks(1000 / rate);
            if (++frame == rate) {
                frame = 0;
                secondOfDay = (secondOfDay + 1) % 86400;
            }
        }
    }
    // 20 ms frame ticks across `ms`.
    void Ticks(int ms) {
        for (int t = 0; t < ms; ++t) {
            clock_.Advance(1);
            if (clock_.TickCount() % 20 == 0) {
                sources_.FrameTick();
            }
        }
    }
    // The clock's checks, one a second for `seconds` seconds from h:m:s.
    void Clock(int h, int m, int s, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            const int t = s + 60 * (m + 60 * h) + i;
            clock_.SetLocalTime(t / 3600 % 24, t / 60 % 60, t % 60);
            sources_.SlowCheck();
            sources_.SlowCheck();
        }
    }

    ManualClock clock_;
    LtcPresence presence_;
    std::vector<std::pair<int, uint32_t>> fired_;  // button, LTC position when fired
    std::vector<uint32_t> firedMs_;
    std::map<int, uint32_t> heardMs_;  // frame count at the rate played -> when
    std::vector<std::string> shown_;
    bool master_ = false;
    TimecodeStarts starts_{};
    TimecodeSources sources_{{clock_, presence_,
                              [this](std::span<const int> buttons) {
                                  for (int b : buttons) {
                                      fired_.emplace_back(b, sources_.LtcPosition());
                                      firedMs_.push_back(clock_.TickCount());
                                  }
                              },
                              [this](const std::string& text) { shown_.push_back(text); },
                              [this] { return master_; }}};
};

TEST_F(TimecodeSourcesTest, ACueFiresAtItsFrameByTheTimeSinceTheSecondBegan) {
    SetStart(4, StartTime(1, 0, 10, 12));
    Play(3606, 20, 5 + 25 * 4 + 20, 25);  // 01:00:06:20 .. into second 11
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].first, 4);
    // Twelve frames at 25 fps are 480 ms, not twelve 20 ms ticks: the cue
    // fires as frame 12 is heard.
    EXPECT_EQ(fired_[0].second, 3610U * 25 + 12);
    EXPECT_EQ(firedMs_[0], heardMs_[3610 * 25 + 12]);
}

TEST_F(TimecodeSourcesTest, Frame29OfA25FpsCueFiresAtFrame4OfTheNextSecond) {
    SetStart(0, StartTime(1, 0, 10, 29));
    Play(3607, 0, 25 * 5, 25);
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].second, 3611U * 25 + 4);
}

TEST_F(TimecodeSourcesTest, AStallFiresWhatIsLittleLateAndSkipsWhatIsLongGone) {
    SetStart(1, StartTime(1, 0, 10, 2));
    SetStart(2, StartTime(1, 0, 10, 3));
    SetStart(3, StartTime(1, 0, 11, 0));
    SetStart(4, StartTime(1, 0, 12, 0));
    Play(3605, 0, 25 * 5, 25);  // locked at 01:00:06, up to 01:00:09:24
    // No tick for 600 ms (15 frames), then the position is 01:00:10:15:
    // the cues at frames 2 and 3 are over 8 frames late and are skipped;
    // the later ones are not stuck behind them.
    LtcArrival arrival{MakeFrame(3610, 0), 25, clock_.TickCount()};
    sources_.LtcFrames(std::span(&arrival, 1));
    clock_.Advance(600);
    sources_.FrameTick();
    EXPECT_TRUE(fired_.empty());
    // 01:00:11:00 arrives; a stall of 200 ms makes the next cue 5 frames late.
    arrival = {MakeFrame(3611, 0), 25, clock_.TickCount()};
    sources_.LtcFrames(std::span(&arrival, 1));
    clock_.Advance(200);
    sources_.FrameTick();
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].first, 3);
    arrival = {MakeFrame(3612, 0), 25, clock_.TickCount()};
    sources_.LtcFrames(std::span(&arrival, 1));
    sources_.FrameTick();
    ASSERT_EQ(fired_.size(), 2U);
    EXPECT_EQ(fired_[1].first, 4);
}

TEST_F(TimecodeSourcesTest, ALockAtAnotherRateRebuildsTheTable) {
    SetStart(9, StartTime(1, 0, 10, 0));
    // MIDI timecode at 30 fps builds the table for 30 frames a second ...
    sources_.MtcLocked(3600 * 30, 30);
    EXPECT_EQ(sources_.table().rate(), 30);
    // ... then LTC comes (and MIDI timecode yields) and locks at 25: the cue still fires at
    // 01:00:10:00, not at the 25 fps count of 108000 frames (01:12:00).
    Play(3605, 0, 25 * 6, 25);
    EXPECT_EQ(sources_.table().rate(), 25);
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].second, 3610U * 25);
}

TEST_F(TimecodeSourcesTest, NoLockWithoutFramesThatFollowOn) {
    // Lone frames, each in a second of its own, as noise might give.
    for (int s : {100, 5000, 37, 86000, 12}) {
        LtcArrival arrival{MakeFrame(s, 7), 25, clock_.TickCount()};
        sources_.LtcFrames(std::span(&arrival, 1));
        clock_.Advance(40);
    }
    EXPECT_FALSE(sources_.ltcLocked());
    EXPECT_FALSE(presence_.locked().load());
    Play(200, 23, 3, 25);
    EXPECT_TRUE(sources_.ltcLocked());
}

TEST_F(TimecodeSourcesTest, AJumpBackUnlocksAndTheNextSecondLocksAheadOfTheTriggersPassed) {
    SetStart(1, StartTime(1, 0, 3, 0));
    SetStart(2, StartTime(1, 0, 6, 0));
    Play(3605, 0, 25 * 2, 25);
    EXPECT_TRUE(sources_.ltcLocked());
    // Rewound to 01:00:02:10: locked again at 01:00:03:00, where the cue at
    // 01:00:03 is less than 60 frames ahead and waits for the next pass;
    // the one at 01:00:06 fires.
    Play(3602, 10, 1, 25);
    EXPECT_FALSE(sources_.ltcLocked());
    Play(3602, 11, 25 * 5, 25);
    EXPECT_TRUE(sources_.ltcLocked());
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].first, 2);
}

TEST_F(TimecodeSourcesTest, TheLockedSecondIsShownWithRateAndDropFrame) {
    const struct {
        int rate;
        bool dropFrame;
        const char* text;
    } cases[] = {
        {30, true, " 01:00:02   30fps DF SMPTE "},
        {30, false, " 01:00:02   30fps ND SMPTE "},
        {25, true, " 01:00:02   25fps SMPTE "},
        {24, false, " 01:00:02   24fps SMPTE "},
    };
    for (const auto& c : cases) {
        shown_.clear();
        sources_.LtcInterrupted();
        Play(3600, 0, c.rate * 2 + 1, c.rate, c.dropFrame);
        ASSERT_FALSE(shown_.empty());
        EXPECT_EQ(shown_.back(), c.text);
    }
}

TEST_F(TimecodeSourcesTest, TwoSecondsWithoutANewSecondLoseTheLockAndTheClockTakesOver) {
    SetStart(5, StartTime(9, 0, 20, 0));
    Play(3600, 0, 30, 25);
    ASSERT_TRUE(sources_.ltcLocked());
    ASSERT_TRUE(presence_.present().load());
    for (int i = 0; i < 3; ++i) {
        sources_.SlowCheck();
    }
    EXPECT_TRUE(sources_.ltcLocked());
    sources_.SlowCheck();
    EXPECT_FALSE(sources_.ltcLocked());
    EXPECT_FALSE(presence_.present().load());
    EXPECT_EQ(shown_.back(), "");
    // The clock resynchronises at its next second and fires at the time of day.
    Clock(9, 0, 10, 15);
    EXPECT_EQ(sources_.table().rate(), 0);
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].first, 5);
}

TEST_F(TimecodeSourcesTest, TheClockFiresAtItsSecondAcrossMidnightAndSkipsWhatAJumpPasses) {
    SetStart(1, StartTime(23, 59, 59, 0));
    SetStart(2, StartTime(0, 0, 0, 0));
    SetStart(3, StartTime(0, 0, 30, 0));
    SetStart(4, StartTime(2, 0, 0, 0));
    SetStart(5, StartTime(1, 30, 0, 0));
    Clock(23, 59, 50, 15);  // to 00:00:04
    ASSERT_EQ(fired_.size(), 2U);
    EXPECT_EQ(fired_[0].first, 1);
    EXPECT_EQ(fired_[1].first, 2);
    // Set forward an hour: 00:00:30 is jumped over; the clock follows from 01:00:05.
    Clock(1, 0, 5, 1);
    Clock(1, 29, 58, 3);  // again a jump, just ahead of 01:30:00: it waits
    EXPECT_EQ(fired_.size(), 2U);
    // Set back: the cursor goes to the next trigger more than 2 s ahead.
    Clock(0, 0, 20, 12);
    ASSERT_EQ(fired_.size(), 3U);
    EXPECT_EQ(fired_[2].first, 3);
}

TEST_F(TimecodeSourcesTest, TheClockFollowsADaylightSavingChange) {
    SetStart(1, StartTime(3, 0, 5, 0));
    Clock(1, 59, 50, 10);  // to 01:59:59
    Clock(3, 0, 0, 10);    // the seconds ran on by one, the hour did not
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].first, 1);
}

TEST_F(TimecodeSourcesTest, ALinkedMasterFiresNothing) {
    master_ = true;
    SetStart(1, StartTime(1, 0, 5, 0));
    SetStart(2, StartTime(9, 0, 5, 0));
    Play(3600, 0, 25 * 8, 25);
    Clock(9, 0, 0, 10);
    sources_.MtcLocked(3600 * 30, 30);
    EXPECT_TRUE(fired_.empty());
}

TEST_F(TimecodeSourcesTest, MidiTimecodeFiresWhileNoLtcArrivesAndYieldsToIt) {
    SetStart(1, StartTime(2, 0, 3, 0));
    SetStart(2, StartTime(2, 0, 5, 0));
    uint32_t count = 7200 * 30 - 10;
    sources_.MtcLocked(count, 30);
    for (int i = 0; i < 110; ++i) {
        sources_.MtcFrame(++count);
    }
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].first, 1);
    // LTC comes: MIDI timecode no longer fires.
    Play(7202, 0, 3, 30);
    for (int i = 0; i < 200; ++i) {
        sources_.MtcFrame(++count);
    }
    EXPECT_EQ(fired_.size(), 1U);
}

TEST_F(TimecodeSourcesTest, NewStartTimesArePlacedAtTheLockedPosition) {
    Play(3600, 0, 25 * 2, 25);
    SetStart(8, StartTime(1, 0, 2, 20));  // under 60 frames ahead: next pass
    SetStart(9, StartTime(1, 0, 5, 0));
    Play(3602, 0, 25 * 4, 25);
    ASSERT_EQ(fired_.size(), 1U);
    EXPECT_EQ(fired_[0].first, 9);
}

}  // namespace
}  // namespace tamberline::testing
