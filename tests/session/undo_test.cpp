#include <gtest/gtest.h>

#include <fstream>

#include "session/session_paths.h"
#include "session_fixture.h"

namespace tamberline::testing {
namespace {

class UndoTest : public SessionTest {
protected:
    void SetUp() override {
        path_ = WriteFileWith("Gala.dbf", 0, "/samples/a.wav");
        ASSERT_TRUE(session_->LoadSession(path_));
    }

    // A block action: buttons from..from+count-1 all get `caption`.
    void BlockAssign(int from, int count, const std::string& caption) {
        session_->BeginChange();
        for (int b = from; b < from + count; ++b) {
            session_->AppendUndoEntry(b);
        }
        for (int b = from; b < from + count; ++b) {
            session_->Record(b) = Assigned("/samples/block.wav", caption);
        }
        session_->EndChange(false);
    }

    std::string Caption(int button) { return std::string(CaptionOf(session_->records()[button])); }

    std::string path_;
};

TEST_F(UndoTest, TwelveButtonStepUndoesInOneAndTheNextUndoTheStepBefore) {
    EditCaption(0, "first edit");
    BlockAssign(42, 12, "block");
    EXPECT_EQ(session_->journal().Length(), 13u * 608);
    session_->Undo();
    for (int b = 42; b < 54; ++b) {
        EXPECT_FALSE(IsAssigned(session_->records()[b])) << b;
    }
    EXPECT_EQ(Caption(0), "first edit");
    EXPECT_TRUE(host_.modified);
    session_->Undo();
    EXPECT_EQ(Caption(0), "cue");
    EXPECT_FALSE(host_.modified);
    EXPECT_FALSE(FileExists(WorkingCopyPath(path_)));
}

// Renaming an output is a setting, no undo step; what the journal keeps
// follows each output to its new row, so an undo never moves a button onto
// another output.
TEST_F(UndoTest, UndoAfterARenameKeepsTheButtonOnItsOutput) {
    session_->Record(0).output = 1;
    session_->Record(1) = Assigned("/samples/b.wav");
    session_->Record(1).output = 3;  // past the rows the rename sorted
    EditCaption(0, "before the rename");
    EditCaption(1, "b edited");
    const size_t length = session_->journal().Length();
    // The renamed output 1 now sorts first, output 0 second.
    EXPECT_EQ(session_->FollowRenamedOutputs({1, 0}), std::vector<int>{0});
    EXPECT_EQ(session_->journal().Length(), length) << "no step of its own";
    session_->Undo();
    EXPECT_EQ(session_->records()[1].output, 3);
    session_->Undo();
    EXPECT_EQ(Caption(0), "cue");
    EXPECT_EQ(session_->records()[0].output, 0) << "the same output, at its new row";
}

// Inside the Setup Button dialog: its step is open when the output is
// renamed, and a rename alone leaves no step behind.
TEST_F(UndoTest, RenameDuringAnOpenEditLeavesNoStepOfItsOwn) {
    EditCaption(1, "kept");
    const size_t length = session_->journal().Length();
    session_->BeginChange();
    session_->AppendUndoEntry(0);
    session_->FollowRenamedOutputs({1, 0});
    EXPECT_EQ(session_->records()[0].output, 1);
    session_->EndChange(false);
    EXPECT_EQ(session_->journal().Length(), length);
}

struct NoStepCase {
    const char* what;
    bool cancelled;
    std::function<void(ButtonRecord&)> change;
};

TEST_F(UndoTest, CancelledNoOpAndRunDataEditsKeepNoStep) {
    EditCaption(1, "kept");
    const size_t length = session_->journal().Length();
    const NoStepCase cases[] = {
        {"cancelled", true, [](ButtonRecord& r) { SetCaption(r, "typed then cancelled"); }},
        {"confirmed without change", false, [](ButtonRecord&) {}},
        {"duration only", false, [](ButtonRecord& r) { r.durationMs = 12345; }},
        {"file size only", false, [](ButtonRecord& r) { r.fileSize = 999; }},
    };
    for (const NoStepCase& c : cases) {
        host_.modified = false;  // the mark must be set back to what the journal says
        session_->BeginChange();
        session_->AppendUndoEntry(0);
        ButtonRecord saved = session_->records()[0];
        c.change(session_->Record(0));
        session_->EndChange(c.cancelled);
        session_->Record(0) = saved;
        EXPECT_EQ(session_->journal().Length(), length) << c.what;
        EXPECT_TRUE(host_.modified) << c.what;
    }
}

TEST_F(UndoTest, KeptEditWritesWorkingCopyOfRecordsAndJournal) {
    EditCaption(5, "edited");
    std::ifstream in(WorkingCopyPath(path_), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 198912u + 608u);
    EXPECT_EQ(bytes.substr(5 * 592 + 0x118, 7), std::string("edited\0", 7));
    EXPECT_EQ(bytes.substr(198912, 608),
              std::string(session_->journal().Bytes().begin(), session_->journal().Bytes().end()));
    EXPECT_TRUE(host_.modified);
    EXPECT_EQ(host_.reloaded, std::vector<int>{5});
}

TEST_F(UndoTest, StartTimeChangeRebuildsTheTimecodeTable) {
    const int before = host_.timecodeRebuilds;
    EditCaption(2, "no time");
    EXPECT_EQ(host_.timecodeRebuilds, before);
    session_->BeginChange();
    session_->AppendUndoEntry(2);
    session_->Record(2).startTimeOn = 1;
    session_->EndChange(false);
    EXPECT_EQ(host_.timecodeRebuilds, before + 1);
}

TEST_F(UndoTest, ButtonTouchedTwiceInOneStepComesBackAsBeforeTheAction) {
    // A cut and paste onto an overlapping block: button 10 is emptied, then filled.
    session_->Record(10) = Assigned("/samples/original.wav", "original");
    session_->BeginChange();
    session_->AppendUndoEntry(10);
    session_->Record(10) = ButtonRecord{};
    session_->AppendUndoEntry(10);
    session_->Record(10) = Assigned("/samples/pasted.wav", "pasted");
    session_->EndChange(false);
    session_->Undo();
    EXPECT_EQ(Caption(10), "original");
}

TEST_F(UndoTest, UndoStopsAPlayingButtonAndRestoresItsRecord) {
    EditCaption(0, "edited");
    host_.playing[0] = true;
    session_->Undo();
    EXPECT_EQ(host_.stopped, std::vector<int>{0});
    EXPECT_EQ(Caption(0), "cue");
}

TEST_F(UndoTest, UndoKeepsTheWorkingCopyInStepWhileStepsRemain) {
    EditCaption(0, "one");
    EditCaption(0, "two");
    session_->Undo();
    RecordArray records{};
    std::vector<uint8_t> journal;
    ASSERT_TRUE(ReadWorkingCopy(WorkingCopyPath(path_), records, journal));
    EXPECT_EQ(CaptionOf(records[0]), "one");
    EXPECT_EQ(journal.size(), 608u);
}

// Edits only add to the working copy (the file stays the same one), and
// whatever mix of edits, undos and outside deletion, the file holds exactly
// the records and the journal, as a whole rewrite would.
TEST_F(UndoTest, WorkingCopyIsKeptInStepByAddingToItNotRewritingIt) {
    const std::string copy = WorkingCopyPath(path_);
    const auto expectFileInStep = [&](const char* when) {
        std::vector<uint8_t> expected = EncodeSession(session_->records());
        const std::vector<uint8_t>& journal = session_->journal().Bytes();
        expected.insert(expected.end(), journal.begin(), journal.end());
        const std::string onDisk = dir_.Read("Gala.tmp");
        ASSERT_EQ(onDisk.size(), expected.size()) << when;
        size_t firstDifference = 0;
        while (firstDifference < expected.size() &&
               static_cast<uint8_t>(onDisk[firstDifference]) == expected[firstDifference]) {
            ++firstDifference;
        }
        EXPECT_EQ(firstDifference, expected.size()) << when;
    };
    EditCaption(0, "one");
    const std::optional<FileStamp> first = ReadFileStamp(copy);
    BlockAssign(40, 5, "block");
    EditCaption(0, "two");
    EXPECT_EQ(ReadFileStamp(copy)->inode, first->inode);
    expectFileInStep("after edits");
    session_->Undo();
    expectFileInStep("after an undo");
    EditCaption(3, "three");
    expectFileInStep("after an edit over an undone step");
    RemoveFile(copy);
    EditCaption(4, "four");
    expectFileInStep("after the file was deleted");
    dir_.Write("Gala.tmp", "someone else's");
    EditCaption(5, "five");
    expectFileInStep("after the file was replaced");
}

TEST_F(UndoTest, DamagedJournalEmptiesAndDeletesTheWorkingCopy) {
    // A working copy whose last entry claims a step longer than the journal.
    RecordArray records{};
    records[0] = Assigned("/samples/a.wav", "recovered");
    std::vector<uint8_t> journal(608, 0);
    journal[596] = 5;
    ASSERT_EQ(WriteWorkingCopyFile(WorkingCopyPath(path_), records, journal), 0);
    auto restarted = MakeSession();
    restarted->RestoreAtStartup(path_);
    ASSERT_TRUE(restarted->IsModified());
    restarted->Undo();
    EXPECT_FALSE(restarted->IsModified());
    EXPECT_EQ(CaptionOf(restarted->records()[0]), "recovered");
    EXPECT_FALSE(FileExists(WorkingCopyPath(path_)));
}

}  // namespace
}  // namespace tamberline::testing
