#include <gtest/gtest.h>

#include <cstring>

#include "app/console_fixture.h"
#include "app/setup_commands.h"
#include "session/undo_journal.h"

namespace tamberline::testing {
namespace {

class SetupCommandsTest : public ConsoleTest {
protected:
    std::vector<UndoEntry> LastStep() {
        std::vector<UndoEntry> step;
        EXPECT_TRUE(model_.session().journal().ReadLastStep(step));
        return step;
    }
    const EditContext& Context() { return model_.editContext(); }
};

TEST_F(SetupCommandsTest, OkThatChangesIsOneEntryAndTheButtonStops) {
    const ButtonRecord before = Put(5, Sample("a.wav"));
    State(5).running = true;
    ButtonRecord seen{};
    RunSetupButton(Context(), 5, [&](int button, const ButtonRecord& record) {
        EXPECT_EQ(button, 5);
        // The button no longer plays while its setup is open.
        EXPECT_TRUE(run_.State(5).IsIdle());
        seen = record;
        ButtonRecord changed = record;
        SetPath(changed, Sample("b.wav"));
        changed.volume = 40;
        return std::optional<ButtonRecord>(changed);
    });
    EXPECT_EQ(std::memcmp(&seen, &before, sizeof before), 0);
    EXPECT_EQ(run_.calls.front(), "stop 5");
    EXPECT_EQ(At(5).volume, 40);
    const std::vector<UndoEntry> step = LastStep();
    ASSERT_EQ(step.size(), 1u);
    EXPECT_EQ(step[0].button, 5u);
    EXPECT_EQ(step[0].groupCount, 1u);
    EXPECT_EQ(step[0].record.volume, 100);
    model_.session().Undo();
    EXPECT_EQ(At(5).volume, 100);
}

TEST_F(SetupCommandsTest, CancelOrNoChangeLeavesNoStepAndTheRecordAsItWas) {
    const ButtonRecord before = Put(7, Sample("a.wav"));
    const size_t entries = JournalEntries();
    RunSetupButton(Context(), 7, [](int, const ButtonRecord&) { return std::nullopt; });
    RunSetupButton(Context(), 7,
                   [](int, const ButtonRecord& r) { return std::optional<ButtonRecord>(r); });
    EXPECT_EQ(JournalEntries(), entries);
    EXPECT_EQ(std::memcmp(&At(7), &before, sizeof before), 0);
    // An idle button is not stopped.
    EXPECT_TRUE(run_.calls.empty());
}

TEST_F(SetupCommandsTest, BlockIsOneStepOfTheChangedButtons) {
    Put(0, Sample("a.wav"));
    Put(1, Sample("b.wav"));
    Put(2, Sample("c.wav"));
    RunBlockAssign(Context(), {0, 1, 2}, [](const std::vector<ButtonRecord>& records) {
        BlockAssignOutcome outcome{records, std::vector<bool>(records.size(), false)};
        outcome.records[0].volume = 10;
        outcome.records[2].volume = 30;
        return std::optional<BlockAssignOutcome>(outcome);
    });
    const std::vector<UndoEntry> step = LastStep();
    ASSERT_EQ(step.size(), 2u);
    EXPECT_EQ(step[0].groupCount, 2u);
    EXPECT_EQ(At(0).volume, 10);
    EXPECT_EQ(At(1).volume, 100);
    EXPECT_EQ(At(2).volume, 30);
    EXPECT_EQ(run_.prepared, (std::vector<int>{0, 2}));
    // Nothing changed: no step at all.
    const size_t entries = JournalEntries();
    RunBlockAssign(Context(), {0, 1}, [](const std::vector<ButtonRecord>& records) {
        return std::optional<BlockAssignOutcome>(
            BlockAssignOutcome{records, std::vector<bool>(records.size(), false)});
    });
    EXPECT_EQ(JournalEntries(), entries);
}

TEST_F(SetupCommandsTest, OnlyANewFileThatCannotPlayIsEmptied) {
    const std::string missing = dir_.File("missing.wav");
    Put(0, missing);
    Put(1, Sample("b.wav"));
    run_.failPaths = {missing, dir_.File("broken.wav")};
    RunBlockAssign(Context(), {0, 1}, [&](const std::vector<ButtonRecord>& records) {
        BlockAssignOutcome outcome{records, {false, true}};
        outcome.records[0].volume = 50;  // a volume-only change of a missing sample
        SetPath(outcome.records[1], dir_.File("broken.wav"));
        return std::optional<BlockAssignOutcome>(outcome);
    });
    EXPECT_TRUE(IsAssigned(At(0)));
    EXPECT_EQ(At(0).volume, 50);
    EXPECT_TRUE(IsZeroRecord(At(1)));
    EXPECT_EQ(box_.Texts(), (std::vector<std::string>{kBlockLoadFailed}));
}

}  // namespace
}  // namespace tamberline::testing
