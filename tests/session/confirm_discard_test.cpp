#include <gtest/gtest.h>
#include <sys/stat.h>

#include "session/session_paths.h"
#include "session_fixture.h"

namespace tamberline::testing {
namespace {

class ConfirmDiscardTest : public SessionTest {
protected:
    void LoadAndEdit() {
        path_ = WriteFileWith("Gala.dbf", 0, "/samples/a.wav");
        ASSERT_TRUE(session_->LoadSession(path_));
        EditCaption(0, "edited");
    }
    std::string SaveQuestion() const { return "Do you want to save the changes to\nGala.dbf ?"; }

    std::string path_;
};

struct AnswerCase {
    const char* answer;
    bool revert;
    bool goesOn;
    const char* captionAfter;  // in memory
    const char* captionOnDisk;
    bool journalEmpty;
};

TEST_F(ConfirmDiscardTest, ChangedTitledSessionAnswers) {
    const AnswerCase cases[] = {
        {"Yes", false, true, "edited", "edited", true},
        {"No", false, true, "edited", "cue", true},
        {"No", true, true, "cue", "cue", true},
        {"Cancel", false, false, "edited", "cue", false},
        {"Cancel", true, false, "edited", "cue", false},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(std::string(c.answer) + (c.revert ? " revert" : ""));
        session_ = MakeSession();
        box_ = ScriptedMessageBox();
        LoadAndEdit();
        box_.Answer(c.answer);
        EXPECT_EQ(session_->ConfirmDiscard(c.revert), c.goesOn);
        EXPECT_EQ(box_.Texts(), std::vector<std::string>{SaveQuestion()});
        EXPECT_EQ(box_.shown()[0].flags, mb::kYesNoCancel | mb::kIconQuestion | mb::kDefault3);
        EXPECT_EQ(CaptionOf(session_->records()[0]), c.captionAfter);
        EXPECT_EQ(CaptionOf((*ReadFile(path_))[0]), c.captionOnDisk);
        EXPECT_EQ(session_->journal().IsEmpty(), c.journalEmpty);
        EXPECT_EQ(FileExists(WorkingCopyPath(path_)), !c.journalEmpty);
    }
}

TEST_F(ConfirmDiscardTest, UnchangedSessionGoesOnWithoutAQuestionAndTidiesUp) {
    LoadAndEdit();
    EditCaption(0, "cue");
    ASSERT_TRUE(session_->IsModified());  // steps there, but the records equal the file
    EXPECT_TRUE(session_->ConfirmDiscard(false));
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_FALSE(session_->IsModified());
    EXPECT_FALSE(FileExists(WorkingCopyPath(path_)));
}

TEST_F(ConfirmDiscardTest, LinkedMasterGoesOnAtOnce) {
    LoadAndEdit();
    host_.master = true;
    EXPECT_TRUE(session_->ConfirmDiscard(false));
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_TRUE(FileExists(WorkingCopyPath(path_)));
}

TEST_F(ConfirmDiscardTest, VanishedFileAsksWhetherToSaveIt) {
    const struct {
        const char* answer;
        bool goesOn;
        bool written;
    } cases[] = {{"Yes", true, true}, {"No", true, false}, {"Cancel", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        session_ = MakeSession();
        box_ = ScriptedMessageBox();
        LoadAndEdit();
        RemoveFile(path_);
        box_.Answer(c.answer);
        EXPECT_EQ(session_->ConfirmDiscard(false), c.goesOn);
        EXPECT_EQ(box_.Texts(),
                  std::vector<std::string>{
                      path_ + "\n\nThis file no longer exists.\nDo you want to save it?"});
        EXPECT_EQ(box_.shown()[0].flags, mb::kYesNoCancel | mb::kIconQuestion | mb::kDefault2);
        EXPECT_EQ(FileExists(path_), c.written);
    }
}

TEST_F(ConfirmDiscardTest, VanishedFileThatCannotBeWrittenDoesNotGoOn) {
    const std::string folder = dir_.File("shows");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    path_ = WriteFileWith("shows/Gala.dbf", 0, "/samples/a.wav");
    ASSERT_TRUE(session_->LoadSession(path_));
    EditCaption(0, "edited");
    RemoveFile(path_);
    RemoveFile(WorkingCopyPath(path_));
    ASSERT_EQ(::rmdir(folder.c_str()), 0);
    box_.Answer("Yes");
    EXPECT_FALSE(session_->ConfirmDiscard(false));
    ASSERT_EQ(box_.Texts().size(), 2u);
    EXPECT_EQ(box_.Texts()[1], path_ + "\n\nNo such file or directory");
    EXPECT_TRUE(session_->IsModified());
}

TEST_F(ConfirmDiscardTest, ReadOnlyChangedFileAsksToContinueAndWritesNothing) {
    const struct {
        const char* answer;
        bool goesOn;
    } cases[] = {{"Yes", true}, {"No", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        session_ = MakeSession();
        box_ = ScriptedMessageBox();
        LoadAndEdit();
        ::chmod(path_.c_str(), 0444);
        const std::optional<FileStamp> before = ReadFileStamp(path_);
        box_.Answer(c.answer);
        EXPECT_EQ(session_->ConfirmDiscard(false), c.goesOn);
        EXPECT_EQ(box_.Texts(),
                  std::vector<std::string>{path_ +
                                           "\n\nFile is set ReadOnly,\nany changes made to it will "
                                           "be lost.\nContinue?"});
        EXPECT_EQ(box_.shown()[0].flags, mb::kYesNo | mb::kIconQuestion | mb::kDefault2);
        EXPECT_EQ(ReadFileStamp(path_), before);
        EXPECT_TRUE(FileExists(WorkingCopyPath(path_)));
        ::chmod(path_.c_str(), 0644);
    }
}

TEST_F(ConfirmDiscardTest, UntitledSessionCountsItsDiskCopyAsAllZero) {
    session_->NewSession(false);
    EXPECT_TRUE(session_->ConfirmDiscard(false));  // nothing assigned: nothing to ask
    EXPECT_TRUE(box_.Texts().empty());

    EditCaption(3, "new");
    box_.Answer("Yes");
    dialog_.Choose(dir_.Path() + "/", "Named.dbf");
    EXPECT_TRUE(session_->ConfirmDiscard(false));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Do you want to save this session ?"});
    EXPECT_EQ(dialog_.requests.at(0).title, "Save session file as.");
    EXPECT_EQ(CaptionOf((*ReadFile(dir_.File("Named.dbf")))[3]), "new");
    EXPECT_FALSE(session_->sessionUntitled());
}

TEST_F(ConfirmDiscardTest, UntitledSaveCancelledInTheFileDialogDoesNotGoOn) {
    session_->NewSession(false);
    EditCaption(3, "new");
    box_.Answer("Yes");
    dialog_.Cancel();
    EXPECT_FALSE(session_->ConfirmDiscard(false));
    EXPECT_TRUE(session_->IsModified());
}

TEST_F(ConfirmDiscardTest, UntitledRevertEmptiesTheRecords) {
    session_->NewSession(false);
    EditCaption(3, "new");
    box_.Answer("No");
    EXPECT_TRUE(session_->ConfirmDiscard(true));
    EXPECT_FALSE(IsAssigned(session_->records()[3]));
    EXPECT_FALSE(FileExists(WorkingCopyPath(session_->sessionPath())));
}

TEST_F(ConfirmDiscardTest, RunDataFollowTheSamplesButEditsNeverReachTheFile) {
    const std::string sample = dir_.Write("a.wav", std::string(1000, 'w'));
    auto records = std::make_unique<RecordArray>();
    (*records)[0] = Assigned(sample);
    (*records)[0].fileSize = 10;
    (*records)[0].durationMs = 5;
    (*records)[1] = Assigned(sample);
    (*records)[1].durationMs = 5;
    path_ = WriteFile("Gala.dbf", *records);
    ASSERT_TRUE(session_->LoadSession(path_));
    session_->Record(0).durationMs = 4000;  // refreshed by a play
    session_->Record(1).durationMs = 2000;
    EditCaption(0, "edited");
    session_->BeginChange();
    session_->AppendUndoEntry(1);
    session_->Record(1).varispeed = 50;  // another speed: its duration is not taken
    session_->EndChange(false);
    box_.Answer("No");
    EXPECT_TRUE(session_->ConfirmDiscard(false));
    const auto disk = ReadFile(path_);
    EXPECT_EQ((*disk)[0].fileSize, 1000);
    EXPECT_EQ((*disk)[0].durationMs, 4000u);
    EXPECT_EQ(CaptionOf((*disk)[0]), "cue");
    EXPECT_EQ((*disk)[1].durationMs, 5u);
    EXPECT_EQ((*disk)[1].varispeed, 100);
    EXPECT_EQ(session_->records()[0].fileSize, 1000);
    EXPECT_TRUE(session_->selfWrite());
}

TEST_F(ConfirmDiscardTest, RenamedOutputsReachTheFileWithoutAQuestion) {
    path_ = WriteFileWith("Gala.dbf", 0, "/samples/a.wav");
    ASSERT_TRUE(session_->LoadSession(path_));
    ASSERT_EQ(session_->records()[0].output, 0);
    // Renaming sorted the outputs afresh: row 0 is now row 2.
    EXPECT_EQ(session_->FollowRenamedOutputs({2, 0, 1}), std::vector<int>{0});
    EXPECT_TRUE(session_->ConfirmDiscard(false));
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_EQ((*ReadFile(path_))[0].output, 2);
}

}  // namespace
}  // namespace tamberline::testing
