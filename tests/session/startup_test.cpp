#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "session/session_paths.h"
#include "session/undo_journal.h"
#include "session_fixture.h"

namespace tamberline::testing {
namespace {

using StartupTest = SessionTest;

TEST_F(StartupTest, WorkingCopyComesBackWithItsUndoSteps) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    EditCaption(0, "one");
    EditCaption(1, "two");
    session_.reset();  // the program stops without the save question

    session_ = MakeSession();
    host_.modified = false;
    session_->RestoreAtStartup("");
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_EQ(session_->sessionPath(), path);
    EXPECT_FALSE(session_->sessionUntitled());
    EXPECT_TRUE(host_.modified);
    EXPECT_EQ(CaptionOf(session_->records()[1]), "two");
    EXPECT_TRUE(session_->IsWatching());
    session_->Undo();
    EXPECT_FALSE(IsAssigned(session_->records()[1]));
    session_->Undo();
    EXPECT_EQ(CaptionOf(session_->records()[0]), "cue");
    EXPECT_FALSE(host_.modified);
    EXPECT_FALSE(FileExists(WorkingCopyPath(path)));
}

TEST_F(StartupTest, UntitledWorkComesBackAfterACrash) {
    const std::string titled = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(titled));
    session_->NewSession(false);
    const std::string untitled = session_->sessionPath();
    EditCaption(3, "new cue");
    session_.reset();  // the program dies with unsaved untitled work

    session_ = MakeSession();
    session_->RestoreAtStartup("");
    EXPECT_EQ(session_->sessionPath(), untitled);
    EXPECT_TRUE(session_->sessionUntitled());
    EXPECT_EQ(CaptionOf(session_->records()[3]), "new cue");
    EXPECT_TRUE(session_->IsModified());
    session_->Undo();
    EXPECT_FALSE(IsAssigned(session_->records()[3]));
    EXPECT_FALSE(FileExists(WorkingCopyPath(untitled)));
}

TEST_F(StartupTest, SavedOrCommandLineSessionsAreNotReplacedByOldUntitledWork) {
    const std::string titled = WriteFileWith("Gala.dbf", 0, "/a.wav");
    session_->NewSession(false);
    const std::string untitled = session_->sessionPath();
    EditCaption(3, "new cue");
    session_.reset();

    // Asked for on the command line: that session opens.
    session_ = MakeSession();
    session_->RestoreAtStartup(titled);
    EXPECT_EQ(session_->sessionPath(), titled);
    session_.reset();

    // The untitled file was saved under its name since: nothing to resume.
    dir_.Write(FileNamePart(untitled), std::string(kSessionFileSize, '\0'));
    registry_.SetString(settings::RecentSession(1), titled);
    session_ = MakeSession();
    session_->RestoreAtStartup("");
    EXPECT_EQ(session_->sessionPath(), titled);
    EXPECT_FALSE(session_->sessionUntitled());
}

TEST_F(StartupTest, NewSessionNeverTakesTheNameOfLostUntitledWork) {
    const std::string titled = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(titled));
    session_->NewSession(false);
    const std::string untitled = session_->sessionPath();
    EditCaption(3, "lost cue");
    session_.reset();
    const auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string lostWork = read(WorkingCopyPath(untitled));
    ASSERT_FALSE(lostWork.empty());

    session_ = MakeSession();
    session_->RestoreAtStartup(titled);
    session_->NewSession(true);
    EXPECT_NE(session_->sessionPath(), untitled);
    EditCaption(4, "another cue");
    EXPECT_TRUE(read(WorkingCopyPath(untitled)) == lostWork);
}

// Earlier versions wrote journals of any length; a working copy over the
// reading limit comes back with its records and newest whole steps.
TEST_F(StartupTest, OverlongWorkingCopyComesBackWithItsNewestSteps) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    RecordArray records{};
    records[0] = Assigned("/a.wav", "unsaved");
    UndoJournal journal;
    // Five-entry steps; the limit falls inside one of them.
    const size_t entries = kMaxJournalBytes / kUndoEntrySize + 4;
    for (size_t i = 0; i < entries; ++i) {
        journal.Append({Assigned("/a.wav", "step " + std::to_string(i / 5)), uint32_t(i % 7), 5});
    }
    ASSERT_EQ(WriteWorkingCopyFile(WorkingCopyPath(path), records, journal.Bytes()), 0);
    session_->RestoreAtStartup(path);
    EXPECT_TRUE(FileExists(WorkingCopyPath(path)));
    EXPECT_EQ(CaptionOf(session_->records()[0]), "unsaved");
    EXPECT_LE(session_->journal().Length(), kMaxJournalBytes);
    EXPECT_EQ(session_->journal().Length() % (5 * kUndoEntrySize), 0u);
    std::vector<UndoEntry> step;
    ASSERT_TRUE(session_->journal().ReadLastStep(step));
    EXPECT_EQ(CaptionOf(step[4].record), "step " + std::to_string((entries - 1) / 5));
}

TEST_F(StartupTest, ShortWorkingCopyIsDeletedAndTheSessionLoaded) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    registry_.SetString(settings::RecentSession(1), path);
    dir_.Write("Gala.tmp", std::string(1000, '\x09'));
    session_->RestoreAtStartup("");
    EXPECT_EQ(PathOf(session_->records()[0]), "/a.wav");
    EXPECT_FALSE(session_->IsModified());
    EXPECT_FALSE(FileExists(dir_.File("Gala.tmp")));
}

TEST_F(StartupTest, RecoveredEditsNeedingNormalisationStayOutOfTheSessionFile) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    registry_.SetString(settings::RecentSession(1), path);
    auto records = std::make_unique<RecordArray>();
    (*records)[0] = Assigned("/a.wav", "unsaved edit");
    (*records)[1] = Assigned("/b.wav");
    (*records)[1].status = STATUS_LOST;  // the program stopped during a sample check
    std::vector<uint8_t> journal;
    ASSERT_EQ(WriteWorkingCopyFile(WorkingCopyPath(path), *records, journal), 0);
    const std::optional<FileStamp> before = ReadFileStamp(path);
    session_->RestoreAtStartup("");
    EXPECT_TRUE(IsZeroRecord(session_->records()[1]));
    EXPECT_EQ(ReadFileStamp(path), before);
    RecordArray copy{};
    ASSERT_TRUE(ReadWorkingCopy(WorkingCopyPath(path), copy, journal));
    EXPECT_TRUE(IsZeroRecord(copy[1]));
    EXPECT_EQ(CaptionOf(copy[0]), "unsaved edit");
}

TEST_F(StartupTest, CommandLineSessionInQuotesIsOpenedAndHeadsTheRecentList) {
    const std::string last = WriteFileWith("Last.dbf", 0, "/last.wav");
    const std::string named = WriteFileWith("My Show.dbf", 0, "/named.wav");
    registry_.SetString(settings::RecentSession(1), last);
    registry_.SetString(settings::RecentSession(2), named);
    session_->RestoreAtStartup("\"" + named + "\"");
    EXPECT_EQ(session_->sessionPath(), named);
    EXPECT_EQ(session_->recentList().Entry(0), named);
    EXPECT_EQ(session_->recentList().Entry(1), last);
    EXPECT_EQ(session_->recentList().Entry(2), "");
}

TEST_F(StartupTest, CommandLineSessionOfTheWrongSizeIsReportedOnceAndTheLastOpened) {
    const std::string last = WriteFileWith("Last.dbf", 0, "/last.wav");
    registry_.SetString(settings::RecentSession(1), last);
    const std::string wrong = dir_.Write("Wrong.dbf", std::string(1000, '\0'));
    session_->RestoreAtStartup(wrong);
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Unable to load session\n" + wrong});
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
    EXPECT_EQ(session_->sessionPath(), last);
}

TEST_F(StartupTest, RecentListDropsGoneAndForeignFilesAndReportsAMissingLastSession) {
    const std::string gone = dir_.File("Gone.dbf");
    const std::string foreign = dir_.Write("Foreign.dbf", "not a session");
    const std::string kept = WriteFileWith("Kept.dbf", 0, "/a.wav");
    registry_.SetString(settings::RecentSession(1), gone);
    registry_.SetString(settings::RecentSession(2), foreign);
    registry_.SetString(settings::RecentSession(3), kept);
    session_->RestoreAtStartup("");
    EXPECT_EQ(session_->sessionPath(), kept);
    EXPECT_EQ(session_->recentList().Entry(0), kept);
    EXPECT_EQ(session_->recentList().Entry(1), "");
    for (int i = 1; i <= 6; ++i) {
        std::string stored;
        registry_.GetString(settings::RecentSession(i), stored);
        EXPECT_NE(stored, gone) << i;
    }
    ASSERT_EQ(box_.Texts(), std::vector<std::string>{"Unable to find last session\n" + gone});
    EXPECT_EQ(box_.shown()[0].flags, mb::kSorry | mb::kIconStop);
}

TEST_F(StartupTest, NothingToOpenMakesANewSessionInTheDocumentsFolder) {
    session_->RestoreAtStartup("");
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_TRUE(session_->sessionUntitled());
    EXPECT_EQ(session_->sessionPath(), dir_.File("Documents/Untitled.dbf"));
    EXPECT_EQ(host_.sampleChecks, 1);
}

}  // namespace
}  // namespace tamberline::testing
