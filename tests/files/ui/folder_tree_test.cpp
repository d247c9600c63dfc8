#include "files/ui/folder_tree.h"

#include <gtest/gtest.h>

#include "../folder_fixture.h"
#include "files/file_monitors.h"
#include "files/mount_watcher.h"
#include "support/scripted_message_box.h"

namespace tamberline {
namespace {

class FolderTreeTest : public ::testing::Test {
protected:
    FolderTreeTest() { tree_.show(); }

    QModelIndex RootOf(const std::string& root) {
        FolderTreeModel& model = tree_.folders();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.PathOf(model.index(row, 0)) == root) {
                return model.index(row, 0);
            }
        }
        return {};
    }

    testing::FolderFixture disk_;
    testing::ScriptedMessageBox box_;
    FileMonitors monitors_;
    FolderTree tree_{monitors_, box_};
};

TEST_F(FolderTreeTest, DrivesArriveByTheMaskAndLeaveWhileExpanded) {
    testing::FolderFixture stick;
    testing::FolderFixture cd;
    tree_.AddDrives({{disk_.Root(), DriveType::kFixed}}, 12);
    stick.Folder("Sounds");
    tree_.DriveArrived({stick.Root(), DriveType::kRemovable});
    tree_.DriveArrived({cd.Root(), DriveType::kCdRom});
    ASSERT_TRUE(RootOf(stick.Root()).isValid());
    EXPECT_FALSE(RootOf(cd.Root()).isValid());
    EXPECT_TRUE(monitors_.DriveMonitorRunning(stick.Root()));

    ASSERT_TRUE(tree_.ExpandToPath(stick.Root() + "Sounds/"));
    EXPECT_EQ(tree_.SelectedFolder(), stick.Root() + "Sounds/");
    tree_.DriveRemoved({stick.Root(), DriveType::kRemovable});
    EXPECT_FALSE(RootOf(stick.Root()).isValid());
    EXPECT_FALSE(monitors_.DriveMonitorRunning(stick.Root()));
    EXPECT_EQ(tree_.folders().rowCount(), 1);
}

// The network branch follows the mount table: a share mounted while the
// tree is open arrives, and one lost leaves, open or not; a tree whose
// mask does not ask for the branch shows none.
TEST_F(FolderTreeTest, TheNetworkBranchFollowsTheMountedShares) {
    testing::FolderFixture nas;
    testing::FolderFixture stage;
    nas.Folder("Music");
    const std::string base = "22 1 259:2 / / rw - ext4 /dev/sda1 rw\n";
    const std::string nasLine = "40 22 0:40 / " + nas.Root() + " rw - nfs4 nas:/music rw\n";
    const std::string stageLine =
        "41 22 0:41 / " + stage.Root() + " rw - fuse.sshfs op@stage: rw\n";
    testing::TempDir dir;
    const std::string table = dir.Write("mountinfo", base + nasLine);
    MountWatcher mounts(nullptr, table);
    tree_.FollowShares(mounts);
    FolderTree plain{monitors_, box_};
    plain.FollowShares(mounts);
    plain.AddDrives({{disk_.Root(), DriveType::kFixed}}, 12);
    tree_.AddDrives({{disk_.Root(), DriveType::kFixed}}, 12 | kNetworkBranch);

    ASSERT_TRUE(RootOf(nas.Root()).isValid());
    EXPECT_TRUE(tree_.folders().IsShare(RootOf(nas.Root())));
    EXPECT_TRUE(monitors_.DriveMonitorRunning(nas.Root()));
    ASSERT_TRUE(tree_.ExpandToPath(nas.Root() + "Music/"));
    EXPECT_EQ(tree_.SelectedFolder(), nas.Root() + "Music/");

    dir.Write("mountinfo", base + stageLine);
    mounts.Check();
    EXPECT_FALSE(RootOf(nas.Root()).isValid());
    EXPECT_FALSE(monitors_.DriveMonitorRunning(nas.Root()));
    ASSERT_TRUE(RootOf(stage.Root()).isValid());
    EXPECT_EQ(tree_.folders().Shares(), std::vector<std::string>{stage.Root()});
    EXPECT_EQ(plain.folders().rowCount(), 1);
}

TEST_F(FolderTreeTest, AFolderDeletedWhileListedLeavesTheTreeOnTheNextRefresh) {
    tree_.AddDrives({{disk_.Root(), DriveType::kFixed}}, 8);
    disk_.Folder("Act 1");
    disk_.Folder("Act 1/Scene 1");
    disk_.Folder("Act 2");
    ASSERT_TRUE(tree_.ExpandToPath(disk_.Root() + "Act 1/Scene 1/"));
    testing::FolderFixture::Other("rm -r '" + disk_.Root() + "Act 1'");
    tree_.RefreshDrive(disk_.Root());
    const QModelIndex root = RootOf(disk_.Root());
    ASSERT_EQ(tree_.folders().rowCount(root), 1);
    EXPECT_EQ(tree_.folders().NameOf(tree_.folders().index(0, 0, root)), "Act 2");
}

TEST_F(FolderTreeTest, ALongScanShowsItsCountAndCanBeCancelled) {
    tree_.AddDrives({{disk_.Root(), DriveType::kFixed}}, 8);
    for (int i = 0; i < 300; ++i) {
        disk_.Folder("Cue " + std::to_string(i));
    }
    std::vector<std::string> shown;
    tree_.SetStatusSink([&](const std::string& text) {
        shown.push_back(text);
        if (text == "Searching 128") {
            tree_.CancelScan();
        }
    });
    const QModelIndex root = RootOf(disk_.Root());
    tree_.expand(root);
    EXPECT_EQ(shown, (std::vector<std::string>{"Searching 64", "Searching 128", ""}));
    EXPECT_EQ(tree_.folders().rowCount(root), 0);
    EXPECT_TRUE(tree_.folders().hasChildren(root));  // still expandable
    EXPECT_FALSE(tree_.isExpanded(root));
    EXPECT_TRUE(tree_.isEnabled());
    EXPECT_FALSE(tree_.IsBusy());
}

}  // namespace
}  // namespace tamberline
