#include "files/folder_listing.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "folder_fixture.h"

namespace tamberline {
namespace {

using Names = std::vector<std::string>;

void SetModified(const std::string& path, std::time_t when) {
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class FolderListingTest : public ::testing::Test {
protected:
    testing::FolderFixture tree_;
};

TEST_F(FolderListingTest, ListsMatchingPlainFilesInNaturalOrder) {
    for (const char* name :
         {"File9.wav", "File10.wav", "File1.WAV", "notes.txt", ".hidden.wav", "README"}) {
        tree_.File(name);
    }
    tree_.Folder("Sub10.wav");
    ::symlink("File9.wav", (tree_.Root() + "Link.wav").c_str());
    ::symlink("nowhere.wav", (tree_.Root() + "Dangling.wav").c_str());
    const struct {
        const char* pattern;
        Names names;
    } cases[] = {
        {"*.wav", {"File1.WAV", "File9.wav", "File10.wav", "Link.wav"}},
        {"*.WAV", {"File1.WAV", "File9.wav", "File10.wav", "Link.wav"}},
        {"*.*", {"File1.WAV", "File9.wav", "File10.wav", "Link.wav", "notes.txt", "README"}},
        {"*.m3u", {}},
    };
    for (const auto& c : cases) {
        const FolderScan scan = ListFolderFiles(tree_.Root(), c.pattern, ListOrder::kNatural);
        EXPECT_EQ(scan.names, c.names) << c.pattern;
        EXPECT_TRUE(scan.complete);
        EXPECT_EQ(scan.error, 0);
    }
}

TEST_F(FolderListingTest, DateOrderPutsTheOldestFirst) {
    SetModified(tree_.File("new.wav"), 1700000300);
    SetModified(tree_.File("old.wav"), 1700000100);
    SetModified(tree_.File("mid10.wav"), 1700000200);
    SetModified(tree_.File("mid9.wav"), 1700000200);
    EXPECT_EQ(ListFolderFiles(tree_.Root(), "*.*", ListOrder::kByDate).names,
              (Names{"old.wav", "mid9.wav", "mid10.wav", "new.wav"}));
    EXPECT_EQ(DateKey(0).size(), 14u);
}

TEST_F(FolderListingTest, HostileNamesAreListedByteForByte) {
    const std::string notUtf8 = "\xff\xfe take.wav";
    const std::string newline = "two\nlines.wav";
    const std::string longest = std::string(251, 'n') + ".wav";  // 255 bytes
    for (const std::string& name : {notUtf8, newline, longest}) {
        tree_.File(name);
    }
    const Names names = ListFolderFiles(tree_.Root(), "*.wav", ListOrder::kNatural).names;
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(Names({names[0], names[1], names[2]}), (Names{longest, newline, notUtf8}));
}

TEST_F(FolderListingTest, SubfoldersFollowLinksButNotLoopsOrDanglingOnes) {
    tree_.Folder("Act 10");
    tree_.Folder("Act 2");
    tree_.Folder(".git");
    tree_.File("Act 3");
    ::symlink(tree_.Root().c_str(), (tree_.Root() + "Back").c_str());
    ::symlink("Loop", (tree_.Root() + "Loop").c_str());
    ::symlink("Gone", (tree_.Root() + "Broken").c_str());
    EXPECT_EQ(ListSubfolders(tree_.Root()).names, (Names{"Act 2", "Act 10", "Back"}));
}

TEST_F(FolderListingTest, HasSubfoldersIgnoresFilesAndHiddenFolders) {
    const std::string empty = tree_.Folder("empty");
    const std::string hidden = tree_.Folder("hidden");
    tree_.Folder("hidden/.cache");
    const std::string full = tree_.Folder("full");
    tree_.Folder("full/inner");
    tree_.File("empty/file.wav");
    EXPECT_FALSE(HasSubfolders(empty));
    EXPECT_FALSE(HasSubfolders(hidden));
    EXPECT_TRUE(HasSubfolders(full));
    EXPECT_FALSE(HasSubfolders(tree_.Root() + "missing/"));
    EXPECT_TRUE(HasSubfolders("//server/share"));
}

TEST_F(FolderListingTest, AFolderThatCannotBeReadReportsItsError) {
    const FolderScan missing = ListFolderFiles(tree_.Root() + "gone/", "*.*", ListOrder::kNatural);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_TRUE(missing.names.empty());
    const FolderScan file = ListSubfolders(tree_.File("plain"));
    EXPECT_EQ(file.error, ENOTDIR);
    if (::geteuid() != 0) {
        const std::string locked = tree_.Folder("locked");
        ::chmod(locked.c_str(), 0);
        EXPECT_EQ(ListFolderFiles(locked, "*.*", ListOrder::kNatural).error, EACCES);
        ::chmod(locked.c_str(), 0700);
    }
}

TEST_F(FolderListingTest, TheProgressCallbackCanEndALongScan) {
    for (int i = 0; i < 300; ++i) {
        tree_.File("f" + std::to_string(i));
    }
    int calls = 0;
    const FolderScan scan =
        ListFolderFiles(tree_.Root(), "*.*", ListOrder::kNatural, [&](int seen) {
            ++calls;
            return seen < 128;
        });
    EXPECT_FALSE(scan.complete);
    EXPECT_EQ(calls, 2);
    EXPECT_LT(scan.names.size(), 300u);
}

}  // namespace
}  // namespace tamberline
