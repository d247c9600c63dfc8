#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "session/session_paths.h"
#include "session_fixture.h"
#include "support/without_file_override.h"

namespace tamberline::testing {
namespace {

using LoadSaveTest = SessionTest;

struct RefusalCase {
    const char* what;
    std::function<std::string(TempDir&)> makePath;
    std::string message;  // "%s" stands for the path
    unsigned flags;
};

TEST_F(LoadSaveTest, EachRefusalShowsItsMessageAndLeavesTheSessionAsItWas) {
    const std::string original = WriteFileWith("Original.dbf", 4, "/samples/original.wav");
    ASSERT_TRUE(session_->LoadSession(original));
    const RefusalCase cases[] = {
        {"share path", [](TempDir&) { return std::string("//server/shows/Gala.dbf"); },
         "Cannot load a network session.", mb::kOk | mb::kIconExclamation},
        {"missing", [](TempDir& d) { return d.File("Missing.dbf"); },
         "Cannot find session file:\n%s", mb::kSorry | mb::kIconStop},
        {"one byte short",
         [](TempDir& d) { return d.Write("Short.dbf", std::string(198911, '\0')); },
         "Invalid Session file.", mb::kOk | mb::kIconStop},
        {"one byte long", [](TempDir& d) { return d.Write("Long.dbf", std::string(198913, 'x')); },
         "Invalid Session file.", mb::kOk | mb::kIconStop},
        {"a folder",
         [](TempDir& d) {
             ::mkdir(d.File("Folder.dbf").c_str(), 0755);
             return d.File("Folder.dbf");
         },
         "Invalid Session file.", mb::kOk | mb::kIconStop},
        {"named like a working copy",
         [](TempDir& d) { return d.Write("Gala.tmp", std::string(kSessionFileSize, '\0')); },
         std::string("%s") + kWorkingCopyNameRefusal, mb::kOk | mb::kIconStop},
    };
    for (const RefusalCase& c : cases) {
        const size_t before = box_.shown().size();
        const std::string path = c.makePath(dir_);
        EXPECT_FALSE(session_->LoadSession(path)) << c.what;
        ASSERT_EQ(box_.shown().size(), before + 1) << c.what;
        std::string expected = c.message;
        if (const size_t at = expected.find("%s"); at != std::string::npos) {
            expected.replace(at, 2, path);
        }
        EXPECT_EQ(box_.shown().back().text, expected) << c.what;
        EXPECT_EQ(box_.shown().back().flags, c.flags) << c.what;
        EXPECT_EQ(session_->sessionPath(), original) << c.what;
        EXPECT_EQ(PathOf(session_->records()[4]), "/samples/original.wav") << c.what;
        EXPECT_TRUE(session_->IsWatching()) << c.what;
    }
}

TEST_F(LoadSaveTest, UnreadableFileGivesTheSystemErrorReport) {
    const std::string path = WriteFileWith("Locked.dbf", 0, "/a.wav");
    ::chmod(path.c_str(), 0);
    const WithoutFileOverride asAUser;
    EXPECT_FALSE(session_->LoadSession(path));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{path + "\n\nPermission denied"});
}

TEST_F(LoadSaveTest, LoadTakesRecordsPathRecentTopFileTimeAndWatch) {
    const std::string path = WriteFileWith("Gala.dbf", 41, "/samples/bell.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    EXPECT_TRUE(box_.Texts().empty());
    EXPECT_EQ(PathOf(session_->records()[41]), "/samples/bell.wav");
    EXPECT_EQ(session_->sessionPath(), path);
    EXPECT_FALSE(session_->sessionUntitled());
    EXPECT_EQ(session_->recentList().Entry(0), path);
    std::string stored;
    registry_.GetString(settings::RecentSession(1), stored);
    EXPECT_EQ(stored, path);
    EXPECT_EQ(session_->sessionFileTime(), ReadFileStamp(path));
    EXPECT_TRUE(session_->IsWatching());
}

TEST_F(LoadSaveTest, WriteSessionSavesEmptiesJournalDeletesWorkingCopyAndRetitles) {
    const std::string first = WriteFileWith("First.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(first));
    EditCaption(0, "edited");
    ASSERT_TRUE(FileExists(WorkingCopyPath(first)));
    const std::string second = dir_.File("Second.dbf");
    ASSERT_TRUE(session_->WriteSession(second));
    EXPECT_FALSE(FileExists(WorkingCopyPath(first)));
    EXPECT_TRUE(session_->journal().IsEmpty());
    EXPECT_FALSE(host_.modified);
    EXPECT_EQ(session_->sessionPath(), second);
    EXPECT_EQ(session_->recentList().Entry(0), second);
    EXPECT_EQ(session_->recentList().Entry(1), first);
    EXPECT_EQ(CaptionOf((*ReadFile(second))[0]), "edited");
    EXPECT_EQ(CaptionOf((*ReadFile(first))[0]), "cue");
    EXPECT_EQ(session_->sessionFileTime(), ReadFileStamp(second));
}

TEST_F(LoadSaveTest, SavingOverASessionDropsItsStaleWorkingCopy) {
    const std::string other = WriteFileWith("Other.dbf", 0, "/other.wav");
    dir_.Write("Other.tmp", std::string(198912, '\x09'));
    const std::string mine = WriteFileWith("Mine.dbf", 0, "/mine.wav");
    ASSERT_TRUE(session_->LoadSession(mine));
    ASSERT_TRUE(session_->WriteSession(other));
    EXPECT_FALSE(FileExists(dir_.File("Other.tmp")));
}

// Otherwise the first edit overwrites the file as its own working copy and
// the next save deletes what it has just written.
TEST_F(LoadSaveTest, SavingUnderAWorkingCopyNameIsRefused) {
    const std::string original = WriteFileWith("Original.dbf", 4, "/samples/original.wav");
    ASSERT_TRUE(session_->LoadSession(original));
    const std::string target = dir_.File("Show.tmp");
    dialog_.Choose(dir_.Path() + "/", "Show.tmp");
    session_->SaveSessionAsCommand();
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{target + kWorkingCopyNameRefusal});
    EXPECT_EQ(session_->sessionPath(), original);
}

TEST_F(LoadSaveTest, FailedWriteReportsTheErrorAndChangesNothingElse) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    EditCaption(0, "edited");
    const std::string bad = dir_.File("gone/Gala.dbf");
    EXPECT_FALSE(session_->WriteSession(bad));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{bad + "\n\nNo such file or directory"});
    EXPECT_EQ(session_->sessionPath(), path);
    EXPECT_FALSE(session_->journal().IsEmpty());
    EXPECT_TRUE(FileExists(WorkingCopyPath(path)));
    EXPECT_TRUE(session_->IsWatching());
}

TEST_F(LoadSaveTest, NormalisationZeroesStrayRecordsAndWritesThemBack) {
    auto records = std::make_unique<RecordArray>();
    (*records)[3] = Assigned("/samples/leftover.wav");
    (*records)[3].status = STATUS_EMPTY;  // not assigned, but bytes left over
    (*records)[4] = Assigned("/samples/kept.wav");
    (*records)[4].reserved221[0] = 0x77;  // reserved bytes of an assigned button stay
    const std::string path = WriteFile("Gala.dbf", *records);
    ::chmod(path.c_str(), 0444);
    dialog_.Choose(dir_.Path() + "/", "Gala.dbf");
    session_->OpenSession();
    EXPECT_TRUE(IsZeroRecord(session_->records()[3]));
    const auto disk = ReadFile(path);
    EXPECT_TRUE(IsZeroRecord((*disk)[3]));
    EXPECT_EQ((*disk)[4].reserved221[0], 0x77);
    EXPECT_TRUE(IsReadOnlyFile(path));
    EXPECT_TRUE(session_->selfWrite());
    EXPECT_EQ(host_.sampleChecks, 1);
}

TEST_F(LoadSaveTest, NormalisationBringsOutOfRangeFieldsIntoRangeAndWritesThemBack) {
    auto records = std::make_unique<RecordArray>();
    (*records)[0] = Assigned("/samples/a.wav");
    (*records)[0].startGroup = 200;
    (*records)[0].volume = 255;
    (*records)[0].midiChannel = 99;
    (*records)[1] = Assigned("/samples/b.wav");
    (*records)[1].startGroup = 16;
    const std::string path = WriteFile("Gala.dbf", *records);
    dialog_.Choose(dir_.Path() + "/", "Gala.dbf");
    session_->OpenSession();
    const ButtonRecord& a = session_->records()[0];
    EXPECT_EQ(a.startGroup, 0);
    EXPECT_EQ(a.volume, 100);
    EXPECT_EQ(a.midiChannel, 0);
    EXPECT_EQ(session_->records()[1].startGroup, 16);
    EXPECT_EQ((*ReadFile(path))[0].startGroup, 0);
}

TEST_F(LoadSaveTest, NormalisationTakesOwnSharesAsLocalPaths) {
    auto records = std::make_unique<RecordArray>();
    (*records)[0] = Assigned("//thishost/sounds/a.wav");
    (*records)[1] = Assigned("//otherhost/sounds/b.wav");
    const std::string path = WriteFile("Gala.dbf", *records);
    host_.shareMap = [](const std::string& p) {
        return p.starts_with("//thishost/sounds/") ? "/srv/sounds/" + p.substr(18) : p;
    };
    dialog_.Choose(dir_.Path() + "/", "Gala.dbf");
    session_->OpenSession();
    EXPECT_EQ(PathOf(session_->records()[0]), "/srv/sounds/a.wav");
    EXPECT_EQ(PathOf(session_->records()[1]), "//otherhost/sounds/b.wav");
    EXPECT_EQ(PathOf((*ReadFile(path))[0]), "/srv/sounds/a.wav");
}

TEST_F(LoadSaveTest, CleanFileIsNotRewrittenOnLoad) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    const std::optional<FileStamp> before = ReadFileStamp(path);
    dialog_.Choose(dir_.Path() + "/", "Gala.dbf");
    session_->OpenSession();
    EXPECT_EQ(ReadFileStamp(path), before);
    EXPECT_FALSE(session_->selfWrite());
}

}  // namespace
}  // namespace tamberline::testing
