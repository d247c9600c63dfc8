#include "session/undo_journal.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamberline {
namespace {

TEST(UndoJournalTest, EntryIsRecordThenIndexThenGroupCountThenEightZeros) {
    UndoJournal journal;
    ButtonRecord r{};
    r.status = 9;
    r.durationMs = 0x01020304;
    journal.Append({r, 0x0150, 0});
    journal.CloseStep(0);
    const std::vector<uint8_t>& b = journal.Bytes();
    ASSERT_EQ(b.size(), 608u);
    EXPECT_EQ(b[0x219], 9);
    EXPECT_EQ(b[0x238], 0x04);
    EXPECT_EQ(b[0x23B], 0x01);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 592, b.begin() + 596),
              (std::vector<uint8_t>{0x50, 0x01, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 596, b.begin() + 600),
              (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 600, b.end()), std::vector<uint8_t>(8, 0));
}

TEST(UndoJournalTest, ClosingAStepGivesEachEntryTheStepsSize) {
    UndoJournal journal;
    journal.Append({{}, 1, 0});
    journal.CloseStep(0);
    const size_t second = journal.Length();
    for (uint32_t b = 10; b < 13; ++b) {
        journal.Append({{}, b, 0});
    }
    journal.CloseStep(second);
    std::vector<UndoEntry> step;
    ASSERT_TRUE(journal.ReadLastStep(step));
    ASSERT_EQ(step.size(), 3u);
    EXPECT_EQ(step[0].button, 10u);
    EXPECT_EQ(step[2].groupCount, 3u);
    EXPECT_EQ(journal.EntriesFrom(0)[0].groupCount, 1u);
}

struct DamageCase {
    const char* what;
    std::vector<UndoEntry> entries;  // as stored, group counts included
};

TEST(UndoJournalTest, DamagedLastStepIsAReadError) {
    const DamageCase cases[] = {
        {"group count 0", {{{}, 1, 1}, {{}, 5, 0}}},
        {"group count past the start", {{{}, 1, 2}, {{}, 5, 3}}},
        {"button outside the grid", {{{}, 336, 2}, {{}, 5, 2}}},
        {"entries disagree on the count", {{{}, 1, 7}, {{}, 5, 2}}},
    };
    for (const DamageCase& c : cases) {
        UndoJournal journal;
        for (const UndoEntry& e : c.entries) {
            journal.Append(e);
        }
        std::vector<UndoEntry> step;
        EXPECT_FALSE(journal.ReadLastStep(step)) << c.what;
        EXPECT_TRUE(step.empty()) << c.what;
    }
}

TEST(UndoJournalTest, AssignDropsATrailingPartialEntry) {
    std::vector<uint8_t> bytes(2 * 608 + 100, 0);
    UndoJournal journal;
    journal.Assign(bytes);
    EXPECT_EQ(journal.Length(), 2u * 608);
}

// Kept under the limit a working copy is read with, oldest steps first,
// never part of a step.
TEST(UndoJournalTest, OldestWholeStepsGiveWayPastTheLimit) {
    UndoJournal journal;
    for (uint32_t step = 0; step < 10; ++step) {
        const size_t from = journal.Length();
        for (uint32_t entry = 0; entry <= step % 3; ++entry) {
            journal.Append({ButtonRecord{}, step, 0});
        }
        journal.CloseStep(from);
    }
    const size_t before = journal.Length();  // 19 entries
    journal.DropOldestSteps(before);
    EXPECT_EQ(journal.Length(), before);
    journal.DropOldestSteps(16 * kUndoEntrySize);
    // Down to at most 12 entries: steps 0..3 (1+2+3+1 entries) go.
    EXPECT_EQ(journal.Length(), 12 * kUndoEntrySize);
    EXPECT_EQ(journal.EntriesFrom(0).front().button, 4u);
    std::vector<UndoEntry> last;
    EXPECT_TRUE(journal.ReadLastStep(last));
    EXPECT_EQ(journal.UnchangedUpTo(), 0u);
}

}  // namespace
}  // namespace tamberline
