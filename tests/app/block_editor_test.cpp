#include <gtest/gtest.h>

#include "app/console_fixture.h"
#include "session/undo_journal.h"

namespace tamberline::testing {
namespace {

class BlockEditorTest : public ConsoleTest {
protected:
    // Tab + drag over `cells` of the page shown.
    void Select(QRect cells) {
        gestures().KeyDown(vk::kTab, false);
        gestures().LeftPress(grid().ButtonOfSlot(0), {});
        gestures().LeftRelease(-1, true);
        gestures().FinishBlockBand(cells);
        gestures().KeyUp(vk::kTab, false);
    }
    void Block(int id) {
        const int inside = grid().selection().Buttons().front();
        ASSERT_EQ(gestures().RightPress(inside, {}).kind, ContextRequest::Kind::kBlock);
        gestures().RunContextCommand(id, inside);
    }
    size_t LastStepSize() {
        std::vector<UndoEntry> step;
        EXPECT_TRUE(model_.session().journal().ReadLastStep(step));
        return step.size();
    }
};

TEST_F(BlockEditorTest, SelectionIsEveryButtonTheBandTouches) {
    Select(QRect(QPoint(1, 0), QPoint(2, 1)));
    EXPECT_EQ(grid().selection().Buttons(), (std::vector<int>{1, 2, 8, 9}));
    // Releasing Tab after a band does not move the cue.
    EXPECT_EQ(grid().cueIndex(), -1);
    // A right click outside the block, or a page change, clears it.
    EXPECT_EQ(gestures().RightPress(30, {}).kind, ContextRequest::Kind::kNone);
    EXPECT_FALSE(grid().selection().selected);
    Select(QRect(0, 0, 1, 1));
    grid().SelectPage(1);
    EXPECT_FALSE(grid().selection().selected);
}

TEST_F(BlockEditorTest, CopyPasteToAnotherPageIsOneUndoStep) {
    Put(1, "/s/a.wav", "A");
    Put(2, "/s/b.wav", "B");
    Put(9, "/s/c.wav", "C");
    State(2).playedMs = 3000;
    Select(QRect(QPoint(1, 0), QPoint(2, 1)));
    Block(cmd::kBlockCopy);
    EXPECT_FALSE(grid().selection().selected);
    EXPECT_TRUE(gestures().blockClipFilled());

    grid().SelectPage(2);
    Select(QRect(QPoint(4, 3), QPoint(5, 4)));
    Block(cmd::kBlockPaste);
    const int base = 2 * 42;
    EXPECT_EQ(CaptionOf(At(base + 25)), "A");
    EXPECT_EQ(CaptionOf(At(base + 26)), "B");
    EXPECT_FALSE(IsAssigned(At(base + 32)));
    EXPECT_EQ(CaptionOf(At(base + 33)), "C");
    EXPECT_EQ(State(base + 26).playedMs, 3000u);
    EXPECT_EQ(CaptionOf(At(1)), "A");  // a copy leaves the source
    EXPECT_EQ(LastStepSize(), 4u);
    EXPECT_TRUE(gestures().blockClipFilled());

    model_.session().Undo();
    EXPECT_FALSE(IsAssigned(At(base + 25)));
    EXPECT_FALSE(IsAssigned(At(base + 33)));
}

TEST_F(BlockEditorTest, CutPasteMovesAndEmptiesTheBlockClipboard) {
    Put(0, "/s/a.wav", "A");
    Put(1, "/s/b.wav", "B");
    Select(QRect(0, 0, 2, 1));
    Block(cmd::kBlockCut);
    EXPECT_EQ(CaptionOf(At(0)), "A");
    // A larger target takes only as many buttons as were cut.
    Select(QRect(QPoint(3, 5), QPoint(6, 5)));
    Block(cmd::kBlockPaste);
    EXPECT_FALSE(IsAssigned(At(0)));
    EXPECT_FALSE(IsAssigned(At(1)));
    EXPECT_EQ(CaptionOf(At(38)), "A");
    EXPECT_EQ(CaptionOf(At(39)), "B");
    EXPECT_FALSE(IsAssigned(At(40)));
    EXPECT_EQ(LastStepSize(), 4u);
    EXPECT_FALSE(gestures().blockClipFilled());
}

TEST_F(BlockEditorTest, PasteThatChangesNothingRecordsNothing) {
    Put(0, "/s/a.wav", "A");
    Select(QRect(0, 0, 1, 1));
    Block(cmd::kBlockCopy);
    Select(QRect(0, 0, 1, 1));
    Block(cmd::kBlockPaste);
    EXPECT_EQ(JournalEntries(), 0u);
}

TEST_F(BlockEditorTest, DeleteZeroesTheBlockAndEmptiesTheButtonClipboard) {
    Put(0, "/s/a.wav", "A");
    Put(8, "/s/b.wav", "B");
    State(8).playedMs = 1000;
    gestures().RunContextCommand(cmd::kCopy, 0);
    Select(QRect(0, 0, 2, 2));
    Block(cmd::kBlockDelete);
    EXPECT_FALSE(IsAssigned(At(0)));
    EXPECT_FALSE(IsAssigned(At(8)));
    EXPECT_EQ(State(8).playedMs, 0u);
    EXPECT_EQ(LastStepSize(), 2u);  // entries for the assigned buttons only
    EXPECT_FALSE(gestures().buttonClipFilled());
    EXPECT_EQ(view_.waitCursor, (std::vector<bool>{true, false}));
}

TEST_F(BlockEditorTest, BlockAssignOpensForTheSelection) {
    Select(QRect(0, 0, 1, 2));
    Block(cmd::kBlockAssign);
    ASSERT_EQ(hooks_.blockAssigns.size(), 1u);
    EXPECT_EQ(hooks_.blockAssigns[0], (std::vector<int>{0, 7}));
}

TEST_F(BlockEditorTest, BlockSelectIsRefusedWhileAnyButtonPlaysOrOnAMaster) {
    State(300).paused = true;
    Select(QRect(0, 0, 1, 1));
    EXPECT_FALSE(grid().selection().selected);
    State(300).paused = false;
    link_.SetRole(LinkRole::kMaster);
    Select(QRect(0, 0, 1, 1));
    EXPECT_FALSE(grid().selection().selected);
    EXPECT_EQ(box_.Texts(),
              (std::vector<std::string>{"All buttons must be stopped \nto use block select.",
                                        "Cannot block assign the buttons\nof a remote slave."}));
    for (const auto& shown : box_.shown()) {
        EXPECT_EQ(shown.flags, mb::kOk | mb::kIconExclamation);
    }
}

}  // namespace
}  // namespace tamberline::testing
