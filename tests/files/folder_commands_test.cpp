#include "files/folder_commands.h"

#include <gtest/gtest.h>

#include <QDir>
#include <filesystem>

#include "files/dialog_rules.h"
#include "files/file_monitors.h"
#include "files/folder_listing.h"
#include "files/folder_tree_model.h"
#include "folder_fixture.h"
#include "support/scripted_message_box.h"

namespace tamberline {
namespace {

class FolderCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { Show(DriveType::kFixed); }

    void Show(DriveType type) {
        model_.AddDrive({tree_.Root(), type}, 0xff);
        model_.Expand(Root());
    }
    QModelIndex Root() const { return model_.index(0, 0); }
    QModelIndex Item(const std::string& name) const { return model_.ChildNamed(Root(), name); }
    FolderCommands::Shell FakeShell() {
        return {[this](const std::string& path) {
                    trashed_.push_back(path);
                    return trashWorks_;
                },
                [this](const std::string& folder) { explored_.push_back(folder); }};
    }

    testing::FolderFixture tree_;
    FolderTreeModel model_;
    testing::ScriptedMessageBox box_;
    FileMonitors monitors_;
    std::vector<std::string> trashed_;
    std::vector<std::string> explored_;
    bool trashWorks_ = true;
    FolderCommands commands_{model_, box_, monitors_, FakeShell()};
};

TEST_F(FolderCommandsTest, NewFolderTakesTheFirstFreeNumberAndSuppressesTheDriveReport) {
    tree_.Folder("New folder");
    tree_.Folder("New folder (1)");
    model_.RefreshDrive(tree_.Root());
    ASSERT_TRUE(monitors_.StartFolderMonitor(tree_.Root()));

    const QModelIndex item = commands_.NewFolder(Root());
    ASSERT_TRUE(item.isValid());
    EXPECT_EQ(model_.NameOf(item), "New folder (2)");
    EXPECT_TRUE(IsFolder(tree_.Root() + "New folder (2)"));
    EXPECT_TRUE(monitors_.driveReportSuppressed());
    EXPECT_FALSE(monitors_.FolderMonitorRunning());
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(FolderCommandsTest, NewFolderInAFolderThatWentAwayShowsTheSystemsText) {
    const std::string gone = tree_.Folder("gone");
    model_.RefreshDrive(tree_.Root());
    testing::FolderFixture::Other("rmdir '" + gone + "'");
    EXPECT_FALSE(commands_.NewFolder(Item("gone")).isValid());
    ASSERT_EQ(box_.shown().size(), 1u);
    EXPECT_EQ(box_.shown()[0].text, gone + "New folder\n\nNo such file or directory");
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
}

TEST_F(FolderCommandsTest, RenameRefusesNamesThatWouldMoveTheFolderElsewhere) {
    tree_.Folder("Show");
    tree_.Folder("Other");
    model_.RefreshDrive(tree_.Root());
    const std::string tooLong(260 - tree_.Root().size(), 'x');
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"../Escaped", "../Escaped\n\nA name cannot contain \"/\" nor be \".\" or \"..\"."},
        {"a/b", "a/b\n\nA name cannot contain \"/\" nor be \".\" or \"..\"."},
        {"..", "..\n\nA name cannot contain \"/\" nor be \".\" or \"..\"."},
        {"Other", tree_.Root() + "Other\n\nFile exists"},
        {tooLong, tree_.Root() + tooLong + "\n\nThis path is longer than 259 characters."},
    };
    for (const auto& c : cases) {
        box_ = testing::ScriptedMessageBox();
        EXPECT_FALSE(commands_.Rename(Item("Show"), c.text)) << c.text;
        ASSERT_EQ(box_.Texts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(IsFolder(tree_.Root() + "Show"));
    }
    EXPECT_TRUE(IsFolder(tree_.Root() + "Other"));
}

TEST_F(FolderCommandsTest, RenameMovesTheFolderAndRestartsTheFolderMonitor) {
    tree_.Folder("Show");
    tree_.File("Show/cue.wav");
    model_.RefreshDrive(tree_.Root());
    EXPECT_TRUE(commands_.Rename(Item("Show"), "Gala"));
    EXPECT_TRUE(std::filesystem::exists(tree_.Root() + "Gala/cue.wav"));
    EXPECT_EQ(monitors_.MonitoredFolder(), tree_.Root() + "Gala/");
    EXPECT_TRUE(box_.shown().empty());
}

TEST_F(FolderCommandsTest, DeleteAsksWithTheRightWordsAndTrashesOnlyOnYes) {
    const std::string show = tree_.Folder("Show");
    model_.RefreshDrive(tree_.Root());
    const std::string path = show.substr(0, show.size() - 1);
    const std::string question =
        path +
        "\n\nAre you sure you want to move this folder\nand all its contents to the "
        "recycle bin?";
    box_.Answer("No");
    EXPECT_FALSE(commands_.Delete(Item("Show")));
    EXPECT_TRUE(trashed_.empty());
    box_.Answer("Yes");
    EXPECT_TRUE(commands_.Delete(Item("Show")));
    EXPECT_EQ(trashed_, std::vector<std::string>{path});
    EXPECT_EQ(box_.Texts(), (std::vector<std::string>{question, question}));
    EXPECT_EQ(box_.shown()[0].flags, mb::kYesNo | mb::kIconQuestion);
    EXPECT_FALSE(Item("Show").isValid());
}

// Where there is no trash, "recycle bin" must not mean "gone for good".
TEST_F(FolderCommandsTest, WithoutATrashDeletingForGoodNeedsItsOwnYes) {
    trashWorks_ = false;
    const std::string show = tree_.Folder("Show");
    model_.RefreshDrive(tree_.Root());
    const std::string path = show.substr(0, show.size() - 1);
    const std::string deleteQuestion =
        path + "\n\nAre you sure you want to delete this folder\nand all its contents?";
    box_.Answer("Yes");
    box_.Answer("No");
    EXPECT_FALSE(commands_.Delete(Item("Show")));
    EXPECT_TRUE(IsFolder(show));
    EXPECT_EQ(box_.Texts().back(), deleteQuestion);
    box_.Answer("Yes");
    box_.Answer("Yes");
    EXPECT_TRUE(commands_.Delete(Item("Show")));
    EXPECT_FALSE(IsFolder(show));
}

TEST_F(FolderCommandsTest, ANetworkFolderGetsTheDeleteQuestionAndNoTrash) {
    FolderTreeModel remote;
    testing::FolderFixture share;
    const std::string folder = share.Folder("Music");
    remote.AddDrive({share.Root(), DriveType::kRemote}, 0xff);
    remote.Expand(remote.index(0, 0));
    FolderCommands commands(remote, box_, monitors_, FakeShell());
    box_.Answer("Yes");
    EXPECT_TRUE(commands.Delete(remote.ChildNamed(remote.index(0, 0), "Music")));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{folder.substr(0, folder.size() - 1) +
                                                     "\n\nAre you sure you want to delete this "
                                                     "folder\nand all its contents?"});
    EXPECT_TRUE(trashed_.empty());
    EXPECT_FALSE(IsFolder(folder));
}

TEST_F(FolderCommandsTest, TheDesktopsTrashReceivesADeletedFolder) {
    testing::FolderFixture data;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Root()));
    const std::string show = tree_.Folder("Show");
    tree_.File("Show/cue.wav");
    model_.RefreshDrive(tree_.Root());
    FolderCommands commands(model_, box_, monitors_);
    box_.Answer("Yes");
    EXPECT_TRUE(commands.Delete(Item("Show")));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_FALSE(IsFolder(show));
    EXPECT_TRUE(std::filesystem::exists(data.Root() + "Trash/files/Show/cue.wav"));
}

TEST_F(FolderCommandsTest, RootsCannotBeRenamedOrDeleted) {
    tree_.Folder("Show");
    model_.RefreshDrive(tree_.Root());
    const struct {
        QModelIndex item;
        bool newFolder, rename, remove;
    } cases[] = {
        {QModelIndex(), false, false, false},
        {Root(), true, false, false},
        {Item("Show"), true, true, true},
    };
    for (const auto& c : cases) {
        const FolderCommands::Enabled enabled = commands_.MenuState(c.item);
        EXPECT_EQ(enabled.newFolder, c.newFolder);
        EXPECT_EQ(enabled.rename, c.rename);
        EXPECT_EQ(enabled.remove, c.remove);
        EXPECT_TRUE(enabled.explore);
    }
    commands_.Explore(Item("Show"));
    commands_.Explore({});
    EXPECT_EQ(explored_, (std::vector<std::string>{tree_.Root() + "Show/", "/"}));
}

}  // namespace
}  // namespace tamberline
