#include <gtest/gtest.h>

#include "app/console_fixture.h"
#include "session/undo_journal.h"

namespace tamberline::testing {
namespace {

class ButtonEditorTest : public ConsoleTest {
protected:
    // Alt-drag from `source` to `target`.
    void MoveDrag(int source, int target) {
        gestures().LeftPress(source, {false, false, true});
        gestures().LeftRelease(target, true);
    }
    void CopyDrag(int source, int target) {
        gestures().LeftPress(source, {false, true, false});
        gestures().LeftRelease(target, true);
    }
    std::vector<UndoEntry> LastStep() {
        std::vector<UndoEntry> step;
        EXPECT_TRUE(model_.session().journal().ReadLastStep(step));
        return step;
    }
};

TEST_F(ButtonEditorTest, MoveTakesRecordAndRunTimeInOneUndoStepOfTwo) {
    Put(3, "/s/a.wav", "A");
    State(3).playedMs = 7000;
    MoveDrag(3, 50);
    EXPECT_FALSE(IsAssigned(At(3)));
    EXPECT_TRUE(IsZeroRecord(At(3)));
    EXPECT_EQ(CaptionOf(At(50)), "A");
    EXPECT_EQ(State(50).playedMs, 7000u);
    EXPECT_EQ(State(3).playedMs, 0u);
    const auto step = LastStep();
    ASSERT_EQ(step.size(), 2u);
    EXPECT_EQ(step[0].button, 3u);
    EXPECT_EQ(step[1].button, 50u);
    EXPECT_EQ(step[1].groupCount, 2u);
    EXPECT_TRUE(box_.shown().empty());

    model_.session().Undo();
    EXPECT_EQ(CaptionOf(At(3)), "A");
    EXPECT_FALSE(IsAssigned(At(50)));
}

TEST_F(ButtonEditorTest, OverwriteIsAskedAndNoKeepsEverything) {
    Put(3, "/s/a.wav", "A");
    Put(4, "/s/b.wav", "B");
    box_.Answer("No");
    MoveDrag(3, 4);
    ASSERT_EQ(box_.shown().size(), 1u);
    EXPECT_EQ(box_.shown()[0].text, "Overwrite this button ?");
    EXPECT_EQ(box_.shown()[0].flags, mb::kYesNo | mb::kIconQuestion | mb::kDefault2);
    EXPECT_EQ(CaptionOf(At(3)), "A");
    EXPECT_EQ(CaptionOf(At(4)), "B");
    EXPECT_EQ(JournalEntries(), 0u);

    box_.Answer("Yes");
    CopyDrag(3, 4);
    EXPECT_EQ(CaptionOf(At(4)), "A");
    EXPECT_EQ(CaptionOf(At(3)), "A");
    EXPECT_EQ(LastStep().size(), 1u);
}

TEST_F(ButtonEditorTest, DraggingOntoItselfOrAnEqualButtonChangesAndAsksNothing) {
    Put(3, "/s/a.wav", "A");
    Put(9, "/s/a.wav", "A");
    MoveDrag(3, 3);
    CopyDrag(3, 3);
    CopyDrag(3, 9);  // the same record: nothing to copy
    EXPECT_TRUE(box_.shown().empty());
    EXPECT_EQ(JournalEntries(), 0u);
    EXPECT_EQ(CaptionOf(At(3)), "A");
    EXPECT_FALSE(model_.menu().Find(cmd::kUndo)->enabled);
}

// Many window managers keep Alt+drag for moving windows.
TEST_F(ButtonEditorTest, ControlShiftDragMovesAsAltDragDoes) {
    const struct {
        PointerKeys keys;
        GridGestures::Drag drag;
    } cases[] = {
        {{false, false, true}, GridGestures::Drag::kMove},
        {{true, true, false}, GridGestures::Drag::kMove},
        {{false, true, false}, GridGestures::Drag::kCopy},
    };
    for (const auto& c : cases) {
        Put(3, "/s/a.wav", "A");
        gestures().LeftPress(3, c.keys);
        EXPECT_EQ(gestures().drag(), c.drag);
        gestures().LeftRelease(60, true);
        EXPECT_EQ(IsAssigned(At(3)), c.drag == GridGestures::Drag::kCopy);
        EXPECT_EQ(CaptionOf(At(60)), "A");
    }
    EXPECT_TRUE(hooks_.setups.empty());
}

TEST_F(ButtonEditorTest, ReleasingOutsideTheGridCancelsTheDrag) {
    Put(3, "/s/a.wav", "A");
    gestures().LeftPress(3, {false, false, true});
    EXPECT_EQ(gestures().drag(), GridGestures::Drag::kMove);
    gestures().LeftRelease(-1, false);
    EXPECT_EQ(gestures().drag(), GridGestures::Drag::kNone);
    EXPECT_EQ(CaptionOf(At(3)), "A");
    EXPECT_EQ(JournalEntries(), 0u);
}

TEST_F(ButtonEditorTest, DragCarriesAButtonToAnotherPage) {
    Put(3, "/s/a.wav", "A");
    gestures().LeftPress(3, {false, false, true});
    gestures().DragOverPage(4);
    EXPECT_EQ(grid().currentPage(), 4);
    EXPECT_TRUE(model_.menu().Find(cmd::kPage1 + 4)->checked);
    gestures().LeftRelease(4 * 42 + 10, true);
    EXPECT_EQ(CaptionOf(At(4 * 42 + 10)), "A");
    EXPECT_FALSE(IsAssigned(At(3)));
}

TEST_F(ButtonEditorTest, DraggingOntoAPlayingButtonStopsItFirst) {
    Put(3, "/s/a.wav", "A");
    Put(4, "/s/b.wav", "B");
    State(4).running = true;
    box_.Answer("Yes");
    CopyDrag(3, 4);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"stop 4"});
    EXPECT_EQ(CaptionOf(At(4)), "A");
}

TEST_F(ButtonEditorTest, RunningButtonsCannotBeDraggedButArePressed) {
    Put(3, "/s/a.wav", "A");
    State(3).running = true;
    gestures().LeftPress(3, {false, false, true});
    EXPECT_EQ(gestures().drag(), GridGestures::Drag::kNone);
    EXPECT_EQ(grid().pressedButton(), 3);
}

TEST_F(ButtonEditorTest, DragsAreRefusedOnALinkedMaster) {
    link_.SetRole(LinkRole::kMaster);
    Put(3, "/s/a.wav", "A");
    gestures().LeftPress(3, {false, true, false});
    EXPECT_EQ(gestures().drag(), GridGestures::Drag::kNone);
    ASSERT_EQ(box_.shown().size(), 1u);
    EXPECT_EQ(box_.shown()[0].text, "Cannot drag the buttons\nof a remote slave.");
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconExclamation);
}

TEST_F(ButtonEditorTest, PasteAfterCutMovesAndEmptiesTheClipboard) {
    Put(3, "/s/a.wav", "A");
    State(3).playedMs = 4000;
    gestures().RunContextCommand(cmd::kCut, 3);
    EXPECT_TRUE(gestures().buttonClipFilled());
    EXPECT_EQ(CaptionOf(At(3)), "A");  // a cut changes nothing until the paste
    gestures().RunContextCommand(cmd::kPaste, 20);
    EXPECT_FALSE(IsAssigned(At(3)));
    EXPECT_EQ(CaptionOf(At(20)), "A");
    EXPECT_EQ(State(20).playedMs, 4000u);
    EXPECT_FALSE(gestures().buttonClipFilled());
    EXPECT_EQ(LastStep().size(), 2u);
}

TEST_F(ButtonEditorTest, PasteAfterCopyCanBeRepeated) {
    Put(3, "/s/a.wav", "A");
    State(3).playedMs = 4000;
    gestures().RunContextCommand(cmd::kCopy, 3);
    gestures().RunContextCommand(cmd::kPaste, 20);
    gestures().RunContextCommand(cmd::kPaste, 21);
    gestures().RunContextCommand(cmd::kPaste, 3);  // onto its source: nothing
    EXPECT_EQ(CaptionOf(At(20)), "A");
    EXPECT_EQ(CaptionOf(At(21)), "A");
    EXPECT_EQ(State(21).playedMs, 0u);
    EXPECT_TRUE(gestures().buttonClipFilled());
    EXPECT_EQ(JournalEntries(), 2u);
}

TEST_F(ButtonEditorTest, DeleteZeroesTheButtonAndEmptiesTheClipboard) {
    Put(3, "/s/a.wav", "A");
    State(3).playedMs = 2000;
    gestures().RunContextCommand(cmd::kCopy, 3);
    gestures().RunContextCommand(cmd::kDelete, 10);  // an empty button: nothing
    EXPECT_EQ(JournalEntries(), 0u);
    EXPECT_TRUE(gestures().buttonClipFilled());
    gestures().RunContextCommand(cmd::kDelete, 3);
    EXPECT_TRUE(IsZeroRecord(At(3)));
    EXPECT_EQ(State(3).playedMs, 0u);
    EXPECT_FALSE(gestures().buttonClipFilled());
    EXPECT_EQ(JournalEntries(), 1u);
    EXPECT_EQ(model_.menu().Find(cmd::kFileMenu)->text, "File*");
}

TEST_F(ButtonEditorTest, ReleaseStopsEveryInstanceAfterAskingWhenOnePlays) {
    Put(3, "/s/Bell.wav");
    Put(90, "/S/BELL.WAV");
    Put(91, "/s/other.wav");
    // Nothing plays: no question, every instance is freed.
    gestures().RunContextCommand(cmd::kRelease, 3);
    EXPECT_TRUE(box_.shown().empty());
    EXPECT_EQ(run_.calls, (std::vector<std::string>{"stop 3", "stop 90"}));

    run_.calls.clear();
    State(90).paused = true;
    gestures().RunContextCommand(cmd::kRelease, 3);  // unscripted: the default, Cancel
    ASSERT_EQ(box_.shown().size(), 1u);
    EXPECT_EQ(box_.shown()[0].text,
              "This command will stop and reset \nall instances of this sample \n"
              "which are currently playing or paused.");
    EXPECT_EQ(box_.shown()[0].flags, mb::kOkCancel | mb::kIconInformation | mb::kDefault2);
    EXPECT_TRUE(run_.calls.empty());
    box_.Answer("Ok");
    gestures().RunContextCommand(cmd::kRelease, 3);
    EXPECT_EQ(run_.calls, (std::vector<std::string>{"stop 3", "stop 90"}));
}

TEST_F(ButtonEditorTest, ResetRunTimesAndSetupFromTheContextMenu) {
    Put(3, "/s/a.wav");
    State(3).playedMs = 5000;
    State(8).playedMs = 6000;
    gestures().RunContextCommand(cmd::kClearRunTime, 3);
    EXPECT_EQ(State(3).playedMs, 0u);
    EXPECT_EQ(State(8).playedMs, 6000u);
    gestures().RunContextCommand(cmd::kClearAllRunTimes, 3);
    EXPECT_EQ(State(8).playedMs, 0u);
    gestures().RunContextCommand(cmd::kReset, 3);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"stop 3"});
    gestures().RunContextCommand(cmd::kSetupButton, 3);
    State(4).running = true;
    gestures().RunContextCommand(cmd::kSetupButton, 4);  // not while it runs
    EXPECT_EQ(hooks_.setups, std::vector<int>{3});
}

}  // namespace
}  // namespace tamberline::testing
