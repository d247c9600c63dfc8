#include <gtest/gtest.h>
#include <sys/stat.h>

#include <numeric>

#include "session/session_paths.h"
#include "session_fixture.h"

namespace tamberline::testing {
namespace {

using LifecycleTest = SessionTest;

TEST_F(LifecycleTest, NewSessionTakesTheFirstFreeUntitledName) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    dir_.Write("Untitled.dbf", "");
    dir_.Write("Untitled (1).dbf", "");
    session_->NewSession(true);
    EXPECT_EQ(session_->sessionPath(), dir_.File("Untitled (2).dbf"));
    EXPECT_TRUE(session_->sessionUntitled());
    EXPECT_FALSE(FileExists(session_->sessionPath()));
    EXPECT_FALSE(IsAssigned(session_->records()[0]));
    EXPECT_FALSE(session_->IsWatching());
}

TEST_F(LifecycleTest, NewSessionHandsEveryBlankButtonToRunControl) {
    const std::string path = WriteFileWith("Gala.dbf", 7, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    host_.reloaded.clear();
    session_->NewSession(false);
    std::vector<int> all(kButtonCount);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(host_.reloaded, all);
}

TEST_F(LifecycleTest, NewSessionWithoutAFolderGoesToTheDocumentsFolder) {
    session_->NewSession(false);
    EXPECT_EQ(session_->sessionPath(), dir_.File("Documents/Untitled.dbf"));
}

TEST_F(LifecycleTest, NewSessionCancelledKeepsEverything) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    EditCaption(0, "edited");
    box_.Answer("Cancel");
    session_->NewSession(true);
    EXPECT_EQ(session_->sessionPath(), path);
    EXPECT_EQ(CaptionOf(session_->records()[0]), "edited");
}

TEST_F(LifecycleTest, LinkedMasterMakesNewAndOpensWithoutAnyQuestion) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    EditCaption(0, "edited");
    host_.master = true;
    session_->NewSession(true);
    EXPECT_TRUE(session_->sessionUntitled());
    dialog_.Choose(dir_.Path() + "/", "Gala.dbf");
    session_->OpenSession();
    EXPECT_EQ(session_->sessionPath(), path);
    EXPECT_TRUE(box_.Texts().empty());
}

TEST_F(LifecycleTest, OpenAsksForASessionFileAndNormalises) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    dialog_.Choose(dir_.Path() + "/", "Gala.dbf");
    session_->OpenSession();
    ASSERT_EQ(dialog_.requests.size(), 1u);
    const FileDialogRequest& r = dialog_.requests[0];
    EXPECT_EQ(r.title, "Open session file.");
    EXPECT_EQ(r.okCaption, "Open");
    EXPECT_EQ(r.pattern, "*.dbf");
    EXPECT_EQ(r.mode, FileDialogRequest::Mode::kOpen);
    EXPECT_EQ(session_->sessionPath(), path);
    EXPECT_EQ(host_.sampleChecks, 1);
}

TEST_F(LifecycleTest, OpeningEntryThreeMovesItToTheTopAndShiftsTheOthers) {
    std::vector<std::string> paths;
    for (const char* name : {"F.dbf", "E.dbf", "D.dbf", "C.dbf", "B.dbf", "A.dbf"}) {
        paths.push_back(WriteFileWith(name, 0, "/a.wav"));
        ASSERT_TRUE(session_->LoadSession(paths.back()));
    }
    // Entries now A B C D E F.
    session_->OpenRecent(3);
    const std::array<std::string, 6> expected = {paths[2], paths[5], paths[4],
                                                 paths[3], paths[1], paths[0]};
    EXPECT_EQ(session_->recentList().Entries(), expected);
    for (int i = 0; i < 6; ++i) {
        std::string stored;
        registry_.GetString(settings::RecentSession(i + 1), stored);
        EXPECT_EQ(stored, expected[static_cast<size_t>(i)]) << i;
    }
}

TEST_F(LifecycleTest, RecentEntryThatFailsLeavesTheMenuButNotTheSettings) {
    const std::string a = WriteFileWith("A.dbf", 0, "/a.wav");
    const std::string b = WriteFileWith("B.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(a));
    ASSERT_TRUE(session_->LoadSession(b));
    RemoveFile(a);
    session_->OpenRecent(1);
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Cannot find session file:\n" + a});
    EXPECT_EQ(session_->recentList().Entry(1), "");
    std::string stored;
    registry_.GetString(settings::RecentSession(2), stored);
    EXPECT_EQ(stored, a);
    EXPECT_EQ(session_->sessionPath(), b);
}

TEST_F(LifecycleTest, ClearListKeepsOnlyTheCurrentSession) {
    for (const char* name : {"A.dbf", "B.dbf", "C.dbf"}) {
        ASSERT_TRUE(session_->LoadSession(WriteFileWith(name, 0, "/a.wav")));
    }
    session_->ClearRecentList();
    EXPECT_EQ(session_->recentList().Entry(0), dir_.File("C.dbf"));
    for (int i = 1; i < 6; ++i) {
        EXPECT_EQ(session_->recentList().Entry(i), "") << i;
        std::string stored = "unchanged";
        EXPECT_FALSE(registry_.GetString(settings::RecentSession(i + 1), stored)) << i;
    }
}

TEST_F(LifecycleTest, SaveOfAReadOnlyFileIsRefused) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    EditCaption(0, "edited");
    ::chmod(path.c_str(), 0444);
    session_->SaveSession();
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{path + "\n\nFile is set ReadOnly."});
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconInformation);
    EXPECT_EQ(CaptionOf((*ReadFile(path))[0]), "cue");
    EXPECT_TRUE(session_->IsModified());
}

TEST_F(LifecycleTest, SaveOfAnUntitledSessionAsksForAName) {
    session_->NewSession(false);
    EditCaption(0, "new");
    dialog_.Choose(dir_.Path() + "/", "Named.dbf");
    session_->SaveSession();
    const FileDialogRequest& r = dialog_.requests.at(0);
    EXPECT_EQ(r.title, "Save session file as.");
    EXPECT_EQ(r.okCaption, "Save");
    EXPECT_EQ(r.pattern, "*.dbf");
    EXPECT_EQ(r.mode, FileDialogRequest::Mode::kSave);
    EXPECT_EQ(r.initialPath, dir_.File("Documents/Untitled.dbf"));
    EXPECT_EQ(session_->sessionPath(), dir_.File("Named.dbf"));
    EXPECT_FALSE(session_->IsModified());
    EXPECT_FALSE(FileExists(dir_.File("Documents/Untitled.tmp")));
}

TEST_F(LifecycleTest, SaveAsShowsTheDialogEvenForATitledSession) {
    const std::string path = WriteFileWith("Gala.dbf", 0, "/a.wav");
    ASSERT_TRUE(session_->LoadSession(path));
    dialog_.Cancel();
    session_->SaveSessionAsCommand();
    EXPECT_EQ(dialog_.requests.at(0).initialPath, path);
    EXPECT_EQ(session_->sessionPath(), path);

    std::string chosen = path;
    dialog_.Choose(dir_.Path() + "/", "Archive.dbf");
    session_->SaveSessionAs(chosen, false);
    EXPECT_EQ(dialog_.requests.at(1).title, "Extract archive to session file.");
    EXPECT_EQ(chosen, dir_.File("Archive.dbf"));
}

TEST_F(LifecycleTest, OpenRequestFromASecondStartTakesThePathWithoutQuotes) {
    const std::string path = WriteFileWith("My Gala.dbf", 0, "/a.wav");
    session_->OpenSessionRequest("\"" + path + "\"");
    EXPECT_EQ(session_->sessionPath(), path);
    EXPECT_EQ(host_.sampleChecks, 1);
}

}  // namespace
}  // namespace tamberline::testing
