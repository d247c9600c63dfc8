#include <gtest/gtest.h>

#include "app/console_fixture.h"

namespace tamberline::testing {
namespace {

class GridGesturesTest : public ConsoleTest {
protected:
    void Click(int button) {
        gestures().LeftPress(button, {});
        gestures().LeftRelease(button, true);
    }
    void Key(int code) {
        gestures().KeyDown(code, false);
        gestures().KeyUp(code, false);
    }
};

TEST_F(GridGesturesTest, AClickStartsTheButtonAndMovesTheCue) {
    Put(4, "/s/a.wav");
    Put(12, "/s/b.wav");
    grid().CheckCue();
    EXPECT_EQ(grid().cueIndex(), 4);
    gestures().LeftPress(12, {});
    EXPECT_EQ(grid().pressedButton(), 12);
    gestures().LeftRelease(12, true);
    EXPECT_EQ(grid().pressedButton(), -1);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"start 12"});
    EXPECT_EQ(grid().cueIndex(), 12);
    EXPECT_EQ(grid().StatusField(16), " Tab :  13 ");
}

TEST_F(GridGesturesTest, PressMoveOffAndReleaseElsewhereStartsNothing) {
    Put(4, "/s/a.wav");
    Put(5, "/s/b.wav");
    gestures().LeftPress(4, {});
    gestures().PointerMoved(5);
    EXPECT_EQ(grid().pressedButton(), -1);
    gestures().LeftRelease(5, true);
    gestures().LeftPress(4, {});
    gestures().LeftRelease(4, false);  // released outside the window
    EXPECT_TRUE(run_.calls.empty());
}

TEST_F(GridGesturesTest, LockedButtonsIgnoreTheClickAndEmptyOnesStartNoCue) {
    Put(4, "/s/a.wav");
    State(4).locked = true;
    Click(4);
    Click(7);  // empty: run control is asked, the cue stays off
    EXPECT_EQ(run_.calls, std::vector<std::string>{"start 7"});
    EXPECT_EQ(grid().cueIndex(), -1);
}

TEST_F(GridGesturesTest, TouchScreenReleasesRunningButtonsAndRestartsFadingOnes) {
    Put(1, "/s/a.wav");
    Put(2, "/s/b.wav");
    Put(3, "/s/c.wav");
    grid().SetTouchScreen(true);
    State(1).running = true;
    State(2).running = true;
    State(2).fadingOut = true;
    Click(1);
    Click(2);
    Click(3);
    EXPECT_EQ(run_.calls, (std::vector<std::string>{"release 1", "start 2", "start 3"}));
    // Without touch-screen mode a running button starts again.
    grid().SetTouchScreen(false);
    run_.calls.clear();
    Click(1);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"start 1"});
}

TEST_F(GridGesturesTest, HintBoxClickTogglesTouchScreenAndStoresIt) {
    gestures().HintPress();
    EXPECT_TRUE(grid().hintPressed());
    gestures().HintRelease(true);
    EXPECT_TRUE(grid().touchScreen());
    EXPECT_TRUE(registry_.IsOn(settings::kTouchScreen));
    gestures().HintPress();
    gestures().HintRelease(false);  // released off the box: no change
    EXPECT_TRUE(grid().touchScreen());
    gestures().HintPress();
    gestures().HintRelease(true);
    EXPECT_FALSE(registry_.IsOn(settings::kTouchScreen));
}

TEST_F(GridGesturesTest, RightPressReleasesPlayingButtonsAndOpensMenusOnIdleOnes) {
    Put(1, "/s/a.wav");
    Put(2, "/s/b.wav");
    State(1).running = true;
    State(2).paused = true;
    State(2).playsSegments = true;
    EXPECT_EQ(gestures().RightPress(1, {}).kind, ContextRequest::Kind::kNone);
    EXPECT_EQ(gestures().RightPress(2, {true, false, false}).kind, ContextRequest::Kind::kNone);
    EXPECT_EQ(gestures().RightPress(2, {}).kind, ContextRequest::Kind::kNone);
    EXPECT_EQ(run_.calls, (std::vector<std::string>{"release 1", "release to end 2", "release 2"}));

    const ContextRequest menu = gestures().RightPress(9, {false, true, false});
    EXPECT_EQ(menu.kind, ContextRequest::Kind::kButton);
    EXPECT_EQ(menu.button, 9);
    EXPECT_EQ(gestures().RightPress(9, {}).kind, ContextRequest::Kind::kNone);

    link_.SetRole(LinkRole::kMaster);
    EXPECT_EQ(gestures().RightPress(9, {true, false, false}).kind, ContextRequest::Kind::kNone);
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>{"Cannot assign the buttons\nof a remote slave."});
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconExclamation);
}

TEST_F(GridGesturesTest, ShiftClickOpensSetupExceptOnAMaster) {
    gestures().LeftPress(6, {true, false, false});
    EXPECT_EQ(hooks_.setups, std::vector<int>{6});
    link_.SetRole(LinkRole::kMaster);
    gestures().LeftPress(6, {true, false, false});
    EXPECT_EQ(hooks_.setups.size(), 1u);
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
}

TEST_F(GridGesturesTest, TriggerKeysStartEveryButtonLowestFirstOncePerPress) {
    Put(200, "/s/a.wav").triggerKey = 'K';
    Put(7, "/s/b.wav").triggerKey = 'K';
    gestures().KeyDown('K', false);
    gestures().KeyDown('K', true);  // auto-repeat
    EXPECT_EQ(run_.requests, (std::vector<std::vector<int>>{{7, 200}}));
    gestures().KeyDown(vk::kF10, false);
    EXPECT_EQ(run_.requests.size(), 1u);  // no button has F10
}

TEST_F(GridGesturesTest, F1OpensHelpOnlyWhenNoButtonAnswersToIt) {
    Key(vk::kF1);
    EXPECT_EQ(hooks_.helps, 1);
    EXPECT_TRUE(run_.requests.empty());

    Put(30, "/s/cue.wav").triggerKey = vk::kF1;
    Key(vk::kF1);
    EXPECT_EQ(run_.requests, (std::vector<std::vector<int>>{{30}}));
    EXPECT_EQ(hooks_.helps, 1) << "a cue on F1 must not open the help mid-show";
}

TEST_F(GridGesturesTest, KeyUpReleasesOnlyPlayWhileTriggeredButtons) {
    Put(7, "/s/b.wav").triggerKey = vk::kF10;
    ButtonRecord& held = Put(8, "/s/c.wav");
    held.triggerKey = vk::kF10;
    held.flags = kFlagPlayWhileTriggered;
    gestures().KeyDown(vk::kF10, false);
    gestures().KeyUp(vk::kF10, false);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"release 8"});
}

TEST_F(GridGesturesTest, DigitsAndArrowsSelectPagesAndNeverFire) {
    Put(0, "/s/a.wav").triggerKey = '1';  // a stored code below the range
    Key('3');
    EXPECT_EQ(grid().currentPage(), 2);
    Key('1');
    EXPECT_EQ(grid().currentPage(), 0);
    Key(vk::kLeft);
    EXPECT_EQ(grid().currentPage(), 7);
    Key(vk::kRight);
    EXPECT_EQ(grid().currentPage(), 0);
    Key('9');
    Key('0');
    EXPECT_EQ(grid().currentPage(), 0);
    EXPECT_TRUE(run_.requests.empty());
    EXPECT_TRUE(model_.menu().Find(cmd::kPage1)->checked);
}

TEST_F(GridGesturesTest, EscapeStopsAllAndClearsLocksSpaceOnlyClearsLocks) {
    Key(vk::kSpace);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"clear locks"});
    run_.calls.clear();
    Key(vk::kEscape);
    EXPECT_EQ(run_.calls, (std::vector<std::string>{"stop all", "clear locks"}));
}

TEST_F(GridGesturesTest, TabAndEnterWalkTheCueOverAssignedButtons) {
    Put(5, "/s/a.wav");
    Put(90, "/s/b.wav");
    Put(300, "/s/c.wav");
    grid().CheckCue();
    Key(vk::kTab);
    EXPECT_EQ(grid().cueIndex(), 90);
    gestures().KeyDown(vk::kTab, false);
    gestures().KeyUp(vk::kTab, true);  // Shift+Tab goes back
    EXPECT_EQ(grid().cueIndex(), 5);
    gestures().KeyDown(vk::kTab, false);
    gestures().KeyUp(vk::kTab, true);  // and wraps to the last
    EXPECT_EQ(grid().cueIndex(), 300);
    Key(vk::kReturn);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"start 300"});
    EXPECT_EQ(grid().cueIndex(), 5);
}

TEST_F(GridGesturesTest, TabRightClickPutsTheCueOnAnIdleAssignedButton) {
    Put(5, "/s/a.wav");
    Put(9, "/s/b.wav");
    grid().CheckCue();
    gestures().KeyDown(vk::kTab, false);
    gestures().RightPress(9, {});
    gestures().RightPress(10, {});  // empty: the cue stays
    gestures().KeyUp(vk::kTab, false);
    EXPECT_EQ(grid().cueIndex(), 9);
    EXPECT_TRUE(run_.calls.empty());
}

TEST_F(GridGesturesTest, EnterWithoutACueDoesNothing) {
    Key(vk::kReturn);
    Key(vk::kTab);
    EXPECT_TRUE(run_.calls.empty());
    EXPECT_EQ(grid().cueIndex(), -1);
}

TEST_F(GridGesturesTest, NothingHappensWhileNoSessionIsActive) {
    Put(4, "/s/a.wav");
    grid().SetSessionActive(false);
    Click(4);
    gestures().PointerMoved(4);
    EXPECT_EQ(gestures().RightPress(4, {true, false, false}).kind, ContextRequest::Kind::kNone);
    EXPECT_TRUE(run_.calls.empty());
    EXPECT_EQ(grid().StatusField(0), "");
}

}  // namespace
}  // namespace tamberline::testing
