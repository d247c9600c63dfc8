#include <gtest/gtest.h>

#include "app/console_fixture.h"

namespace tamberline::testing {
namespace {

using ConsoleGridTest = ConsoleTest;

TEST_F(ConsoleGridTest, OnlyButtonsOnThePageShownAreRepainted) {
    grid().DrawButton(3);
    grid().DrawButton(50);  // page 2
    EXPECT_EQ(view_.buttons, std::vector<int>{3});
    grid().SelectPage(1);
    view_.Clear();
    grid().DrawButton(3);
    grid().DrawButton(50);
    EXPECT_EQ(view_.buttons, std::vector<int>{50});
    EXPECT_EQ(view_.grid, 0);
}

TEST_F(ConsoleGridTest, PollingRepaintsOnlyTimeFieldsThatChange) {
    Put(2, "/s/a.wav").durationMs = 5000;
    Put(60, "/s/b.wav").durationMs = 5000;
    grid().RepaintPage();
    view_.Clear();
    grid().PollRunStates();
    EXPECT_TRUE(view_.times.empty());

    State(2).running = true;
    State(2).remainingMs = 4800;
    State(60).running = true;  // off the page
    grid().PollRunStates();
    EXPECT_EQ(view_.times, std::vector<int>{2});
    // 4,800 and 4,600 ms both show 0:05: no repaint until the text changes.
    State(2).remainingMs = 4600;
    grid().PollRunStates();
    EXPECT_EQ(view_.times.size(), 1u);
    State(2).remainingMs = 4400;
    grid().PollRunStates();
    EXPECT_EQ(view_.times.size(), 2u);
}

TEST_F(ConsoleGridTest, CueGoesToTheNearestAssignedButtonWhenItsButtonEmpties) {
    const struct {
        int cue;
        std::vector<int> assigned;
        int expected;
    } cases[] = {
        {10, {7, 12}, 12},  // the following one is strictly nearer
        {10, {8, 12}, 8},   // equally near: the preceding one
        {10, {3}, 3},      {10, {200}, 200}, {10, {}, -1},
    };
    for (const auto& c : cases) {
        model_.session().NewSession(false);
        Put(c.cue, "/s/cue.wav");
        grid().CheckCue();
        grid().ShowCue(c.cue);
        model_.session().Record(c.cue) = ButtonRecord{};
        for (int k : c.assigned) {
            Put(k, "/s/x.wav");
        }
        grid().CheckCue();
        EXPECT_EQ(grid().cueIndex(), c.expected) << c.cue;
        EXPECT_EQ(grid().StatusField(16), c.expected < 0 ? "" : CueText(c.expected));
    }
}

TEST_F(ConsoleGridTest, StatusLineShowsThePointedButtonAndAlertsABadOutput) {
    Put(2, "/s/a.wav").output = 6;
    hooks_.outputs = 4;
    gestures().PointerMoved(2);
    EXPECT_EQ(grid().statusButton(), 2);
    EXPECT_EQ(grid().StatusField(0), " 3: Out 1, 0dB ");
    EXPECT_TRUE(grid().outputAlert());
    EXPECT_EQ(view_.buttonInfo, 1);
    gestures().PointerMoved(2);
    grid().RefreshStatusLine();
    EXPECT_EQ(view_.buttonInfo, 1);  // nothing changed, nothing repainted

    // A running button's played time reaches field 14 as it grows.
    State(2).running = true;
    State(2).playedMs = 1600;
    grid().PollRunStates();
    EXPECT_EQ(grid().StatusField(14), " 0:02 ");
}

TEST_F(ConsoleGridTest, HeaderMessageAndTitle) {
    grid().ShowMessage(" Loading session ");
    EXPECT_EQ(grid().headerMessage(), " Loading session ");
    EXPECT_EQ(view_.header, 1);
    EXPECT_EQ(grid().Title(), "Untitled");
}

TEST_F(ConsoleGridTest, UndoOfAnEditRepaintsAndRechecksTheCue) {
    gestures().DropFiles({Sample("a.wav")}, 4);
    EXPECT_EQ(grid().cueIndex(), 4);
    EXPECT_TRUE(model_.menu().Find(cmd::kUndo)->enabled);
    view_.Clear();
    model_.session().Undo();
    EXPECT_FALSE(IsAssigned(At(4)));
    EXPECT_EQ(grid().cueIndex(), -1);
    EXPECT_FALSE(view_.buttons.empty());
    EXPECT_EQ(model_.menu().Find(cmd::kFileMenu)->text, "File");
}

}  // namespace
}  // namespace tamberline::testing
