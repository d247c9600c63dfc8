#include "app/main_tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/manual_clock.h"

namespace tamberline {
namespace {

class RecordingPart : public ConsolePart {
public:
    std::vector<std::pair<int, bool>> seconds;  // second of day, jumped
    int oddTicksWithTimecode = 0;
    int hardwareChecks = 0;
    int timecodeLost = 0;

    void Tick(const TickState& state) override {
        if (state.oddTick && state.ltcReceiving && state.startupComplete) {
            ++oddTicksWithTimecode;
        }
    }
    void HardwareCheck() override { ++hardwareChecks; }
    void TimecodeLost() override { ++timecodeLost; }
    void ClockSecond(int second, bool jumped) override { seconds.emplace_back(second, jumped); }
};

class MainTickTest : public ::testing::Test {
protected:
    void SetUp() override {
        tick_.SetEnabled(true);
        tick_.SetStartupComplete();
    }
    // Runs `count` ticks `stepMs` apart.
    void RunTicks(int count, uint32_t stepMs) {
        for (int i = 0; i < count; ++i) {
            clock_.Advance(stepMs);
            tick_.Run();
        }
    }

    testing::ManualClock clock_;
    RecordingPart part_;
    std::vector<ConsolePart*> parts_{&part_};
    std::vector<std::string> shown_;
    MainTick tick_{clock_, parts_, [this](const std::string& text) { shown_.push_back(text); }};
};

TEST_F(MainTickTest, DisabledTickDoesNothing) {
    tick_.SetEnabled(false);
    RunTicks(100, 10);
    EXPECT_TRUE(shown_.empty());
}

TEST_F(MainTickTest, LateTimerNeverRunsTheSlowPassTwice) {
    tick_.NoteDeviceChange(true);
    clock_.Advance(2600);  // one timer message, five slow passes late
    tick_.Run();
    tick_.Run();
    tick_.Run();
    EXPECT_EQ(part_.hardwareChecks, 0);
}

TEST_F(MainTickTest, EverySecondTickIsMarkedForTimecodeTriggersWhileReceiving) {
    RunTicks(4, 10);
    EXPECT_EQ(part_.oddTicksWithTimecode, 0);
    tick_.NoteLtcFrame();
    RunTicks(10, 10);
    EXPECT_EQ(part_.oddTicksWithTimecode, 5);
}

TEST_F(MainTickTest, HardwareCheckRunsAboutTwoAndAHalfSecondsAfterTheLastChange) {
    tick_.NoteDeviceChange(true);
    RunTicks(200, 10);  // 2 s: four slow passes
    EXPECT_EQ(part_.hardwareChecks, 0);
    tick_.NoteDeviceChange(true);  // a new change restarts the count
    RunTicks(200, 10);
    EXPECT_EQ(part_.hardwareChecks, 0);
    RunTicks(100, 10);
    EXPECT_EQ(part_.hardwareChecks, 1);
    RunTicks(500, 10);
    EXPECT_EQ(part_.hardwareChecks, 1);
}

TEST_F(MainTickTest, DeviceChangeBeforeOutputsAreBuiltIsIgnored) {
    tick_.NoteDeviceChange(false);
    RunTicks(500, 10);
    EXPECT_EQ(part_.hardwareChecks, 0);
}

TEST_F(MainTickTest, DeviceChangeWhileOutputsAreBuiltCancelsAPendingCheck) {
    tick_.NoteDeviceChange(true);
    tick_.NoteDeviceChange(false);  // the outputs are being built: they see it
    RunTicks(500, 10);
    EXPECT_EQ(part_.hardwareChecks, 0);
}

// A check's modal box runs the event loop, and the tick with it: a check
// that comes due meanwhile waits for the first to end.
class BoxAskingPart : public ConsolePart {
public:
    std::function<void()> whileAsking;
    int checks = 0;
    int deepest = 0;
    int depth = 0;
    void HardwareCheck() override {
        ++checks;
        deepest = std::max(deepest, ++depth);
        if (whileAsking) {
            whileAsking();
        }
        --depth;
    }
};

TEST_F(MainTickTest, HardwareCheckNeverRunsInsideItself) {
    BoxAskingPart asking;
    parts_.push_back(&asking);
    asking.whileAsking = [this] {
        tick_.NoteDeviceChange(true);
        RunTicks(400, 10);  // 4 s with the box open
    };
    tick_.NoteDeviceChange(true);
    RunTicks(300, 10);
    EXPECT_EQ(asking.checks, 1);
    EXPECT_EQ(asking.deepest, 1);
    asking.whileAsking = nullptr;
    RunTicks(300, 10);  // the change noted meanwhile is checked afterwards
    EXPECT_EQ(asking.checks, 2);
    EXPECT_EQ(asking.deepest, 1);
}

TEST_F(MainTickTest, TimecodeIsLostAfterTwoSilentSeconds) {
    tick_.NoteLtcFrame();
    RunTicks(150, 10);  // 1.5 s: three slow passes
    EXPECT_TRUE(tick_.ltcReceiving());
    RunTicks(60, 10);
    EXPECT_FALSE(tick_.ltcReceiving());
    EXPECT_EQ(part_.timecodeLost, 1);
}

TEST_F(MainTickTest, TimeOfDayIsNotShownWhileTimecodeArrives) {
    tick_.NoteMtcFrame();
    clock_.SetLocalTime(12, 0, 0);
    RunTicks(60, 10);
    EXPECT_TRUE(shown_.empty());
}

struct SecondStep {
    int h, m, s;
    std::vector<std::pair<int, bool>> told;  // seconds of day told by this step
};

TEST_F(MainTickTest, EachNewSecondIsToldAndJumpsAreMarked) {
    const SecondStep steps[] = {
        {23, 59, 58, {{86398, true}}},   // first sight of the clock: a jump
        {23, 59, 59, {{86399, false}}},  // one second on
        {0, 0, 0, {{0, false}}},         // midnight: 86399 -> 0
        {0, 0, 1, {{1, false}}},         //
        {0, 0, 5, {{5, true}}},          // four seconds on: placed again
        {0, 0, 6, {{6, false}}},         //
        {0, 0, 6, {}},                   // same second: nothing
    };
    for (const SecondStep& step : steps) {
        part_.seconds.clear();
        clock_.SetLocalTime(step.h, step.m, step.s);
        RunTicks(51, 10);
        EXPECT_EQ(part_.seconds, step.told) << step.h << ":" << step.m << ":" << step.s;
    }
    EXPECT_EQ(shown_.back(), " 00:00:06 ");
    EXPECT_EQ(tick_.secondOfDay(), 6);
}

// Daylight saving moves the hour while the seconds run on by one: the
// clock must be taken afresh, or every cue runs an hour off the clock shown.
TEST_F(MainTickTest, AnHourChangeWithTheSecondsRunningOnIsAJump) {
    const SecondStep steps[] = {
        {1, 59, 58, {{7198, true}}}, {1, 59, 59, {{7199, false}}},
        {3, 0, 0, {{10800, true}}},                              // clocks go forward
        {3, 0, 1, {{10801, false}}}, {2, 0, 2, {{7202, true}}},  // and back
    };
    for (const SecondStep& step : steps) {
        part_.seconds.clear();
        clock_.SetLocalTime(step.h, step.m, step.s);
        RunTicks(51, 10);
        EXPECT_EQ(part_.seconds, step.told) << step.h << ":" << step.m << ":" << step.s;
    }
    EXPECT_EQ(tick_.secondOfDay(), 7202);
}

}  // namespace
}  // namespace tamberline
