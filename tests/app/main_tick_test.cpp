#include "app/main_tick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/manual_clock.h"

namespace tamberline {
namespace {

class RecordingHooks : public TickHooks {
public:
    bool master = false;
    bool timecodeEnabled = true;
    bool timeOfDayEnabled = true;
    std::vector<int> timeOfDay;
    std::vector<std::string> shown;
    int timecodeFired = 0;
    int hardwareChecks = 0;
    int repositioned = 0;
    int timecodeCleared = 0;

    bool IsLinkedMaster() const override { return master; }
    bool TimecodeTriggersEnabled() const override { return timecodeEnabled; }
    bool TimeOfDayTriggersEnabled() const override { return timeOfDayEnabled; }
    void FireTimecodeTriggers() override { ++timecodeFired; }
    void HardwareCheck() override { ++hardwareChecks; }
    void ClearTimecodeDisplay() override { ++timecodeCleared; }
    void FireTimeOfDayTriggers(int second) override { timeOfDay.push_back(second); }
    void PositionTimecodeCursor() override { ++repositioned; }
    void ShowClock(const std::string& text) override { shown.push_back(text); }
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
    RecordingHooks hooks_;
    MainTick tick_{clock_, hooks_};
};

TEST_F(MainTickTest, DisabledTickDoesNothing) {
    tick_.SetEnabled(false);
    RunTicks(100, 10);
    EXPECT_TRUE(hooks_.shown.empty());
}

TEST_F(MainTickTest, LateTimerNeverRunsTheSlowPassTwice) {
    tick_.NoteDeviceChange(true);
    clock_.Advance(2600);  // one timer message, five slow passes late
    tick_.Run();
    tick_.Run();
    tick_.Run();
    EXPECT_EQ(hooks_.hardwareChecks, 0);
}

TEST_F(MainTickTest, TimecodeTriggersFireOnEverySecondTickWhileReceiving) {
    RunTicks(4, 10);
    EXPECT_EQ(hooks_.timecodeFired, 0);
    tick_.NoteLtcFrame();
    RunTicks(10, 10);
    EXPECT_EQ(hooks_.timecodeFired, 5);
}

TEST_F(MainTickTest, HardwareCheckRunsAboutTwoAndAHalfSecondsAfterTheLastChange) {
    tick_.NoteDeviceChange(true);
    RunTicks(200, 10);  // 2 s: four slow passes
    EXPECT_EQ(hooks_.hardwareChecks, 0);
    tick_.NoteDeviceChange(true);  // a new change restarts the count
    RunTicks(200, 10);
    EXPECT_EQ(hooks_.hardwareChecks, 0);
    RunTicks(100, 10);
    EXPECT_EQ(hooks_.hardwareChecks, 1);
    RunTicks(500, 10);
    EXPECT_EQ(hooks_.hardwareChecks, 1);
}

TEST_F(MainTickTest, DeviceChangeBeforeOutputsAreBuiltIsIgnored) {
    tick_.NoteDeviceChange(false);
    RunTicks(500, 10);
    EXPECT_EQ(hooks_.hardwareChecks, 0);
}

TEST_F(MainTickTest, TimecodeIsLostAfterTwoSilentSeconds) {
    tick_.NoteLtcFrame();
    RunTicks(150, 10);  // 1.5 s: three slow passes
    EXPECT_TRUE(tick_.ltcReceiving());
    RunTicks(60, 10);
    EXPECT_FALSE(tick_.ltcReceiving());
    EXPECT_EQ(hooks_.timecodeCleared, 1);
}

TEST_F(MainTickTest, TimeOfDayIsNotShownWhileTimecodeArrives) {
    tick_.NoteMtcFrame();
    clock_.SetLocalTime(12, 0, 0);
    RunTicks(60, 10);
    EXPECT_TRUE(hooks_.shown.empty());
}

struct SecondStep {
    int h, m, s;
    std::vector<int> fired;  // seconds of day fired by this step
    int repositioned;        // cursor placements so far
};

TEST_F(MainTickTest, TimeOfDayFiresEachSecondAndRepositionsOnJumps) {
    const SecondStep steps[] = {
        {23, 59, 58, {}, 1},       // first sight of the clock: placed
        {23, 59, 59, {86399}, 1},  // one second on
        {0, 0, 0, {0}, 1},         // midnight: 86399 -> 0
        {0, 0, 1, {1}, 1},         //
        {0, 0, 5, {}, 2},          // jumped four seconds: placed again
        {0, 0, 6, {6}, 2},         //
        {0, 0, 6, {}, 2},          // same second: nothing
    };
    for (const SecondStep& step : steps) {
        hooks_.timeOfDay.clear();
        clock_.SetLocalTime(step.h, step.m, step.s);
        RunTicks(51, 10);
        EXPECT_EQ(hooks_.timeOfDay, step.fired) << step.h << ":" << step.m << ":" << step.s;
        EXPECT_EQ(hooks_.repositioned, step.repositioned);
    }
    EXPECT_EQ(hooks_.shown.back(), " 00:00:06 ");
}

TEST_F(MainTickTest, TimeOfDayTriggersNeedTheSwitchAndNoMasterLink) {
    clock_.SetLocalTime(10, 0, 0);
    RunTicks(51, 10);
    hooks_.timeOfDayEnabled = false;
    clock_.SetLocalTime(10, 0, 1);
    RunTicks(51, 10);
    hooks_.timeOfDayEnabled = true;
    hooks_.master = true;
    clock_.SetLocalTime(10, 0, 2);
    RunTicks(51, 10);
    EXPECT_TRUE(hooks_.timeOfDay.empty());
    EXPECT_EQ(tick_.secondOfDay(), 36002);
    EXPECT_EQ(hooks_.shown.back(), " 10:00:02 ");
}

}  // namespace
}  // namespace tamberline
