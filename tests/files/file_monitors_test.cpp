#include "files/file_monitors.h"

#include <gtest/gtest.h>

#include "folder_fixture.h"

namespace tamberline {
namespace {

class RecordingTarget final : public MonitorTarget {
public:
    void FolderChanged() override { ++folderChanges; }
    void DriveChanged(const std::string& root) override { drives.push_back(root); }
    int folderChanges = 0;
    std::vector<std::string> drives;
};

class FileMonitorsTest : public ::testing::Test {
protected:
    void SetUp() override { monitors_.SetMessageTarget(&target_); }

    testing::FolderFixture tree_;
    FileMonitors monitors_;
    RecordingTarget target_;
};

TEST_F(FileMonitorsTest, AFileWrittenByAnotherProgramReListsTheFolder) {
    const std::string shown = tree_.Folder("shown");
    ASSERT_TRUE(monitors_.StartFolderMonitor(shown));
    testing::FolderFixture::Other("echo x > '" + shown + "cue.wav'");
    EXPECT_TRUE(testing::PumpUntil([&] { return target_.folderChanges > 0; }));
    EXPECT_TRUE(target_.drives.empty());
}

TEST_F(FileMonitorsTest, NothingIsReportedWhileACopyIsInProgress) {
    const std::string shown = tree_.Folder("shown");
    ASSERT_TRUE(monitors_.StartFolderMonitor(shown));
    monitors_.SetCopyInProgress(true);
    tree_.File("shown/copied.wav");
    testing::Pump(300);
    EXPECT_EQ(target_.folderChanges, 0);
    monitors_.SetCopyInProgress(false);
    tree_.File("shown/later.wav");
    EXPECT_TRUE(testing::PumpUntil([&] { return target_.folderChanges > 0; }));
}

TEST_F(FileMonitorsTest, DeletingTheWatchedFolderEndsItsMonitorSilently) {
    const std::string shown = tree_.Folder("shown");
    ASSERT_TRUE(monitors_.StartFolderMonitor(shown));
    testing::FolderFixture::Other("rm -r '" + shown + "'");
    EXPECT_TRUE(testing::PumpUntil([&] { return !monitors_.FolderMonitorRunning(); }));
    testing::Pump(100);
    EXPECT_EQ(target_.folderChanges, 0);
    EXPECT_FALSE(monitors_.StartFolderMonitor(shown));
}

TEST_F(FileMonitorsTest, OurOwnNewFolderIsSwallowedAndAnotherProgramsIsReported) {
    const std::string listed = tree_.Folder("listed");
    ASSERT_TRUE(monitors_.StartDriveMonitor({tree_.Root(), DriveType::kFixed}));
    monitors_.WatchDriveFolders(tree_.Root(), {listed});

    monitors_.SuppressNextDriveReport();
    tree_.Folder("listed/New folder");
    EXPECT_TRUE(testing::PumpUntil([&] { return !monitors_.driveReportSuppressed(); }));
    testing::Pump(100);
    EXPECT_TRUE(target_.drives.empty());

    testing::FolderFixture::Other("mkdir '" + listed + "Theirs'");
    EXPECT_TRUE(testing::PumpUntil([&] { return !target_.drives.empty(); }));
    EXPECT_EQ(target_.drives.front(), tree_.Root());
}

TEST_F(FileMonitorsTest, DriveMonitorsWatchOnlyFolderNamesOfListedFolders) {
    const std::string listed = tree_.Folder("listed");
    const std::string unlisted = tree_.Folder("unlisted");
    ASSERT_TRUE(monitors_.StartDriveMonitor({tree_.Root(), DriveType::kFixed}));
    monitors_.WatchDriveFolders(tree_.Root(), {listed});
    tree_.File("listed/file.wav");
    tree_.Folder("unlisted/inner");
    testing::Pump(300);
    EXPECT_TRUE(target_.drives.empty());
    tree_.Folder("top");  // the root itself is always watched
    EXPECT_TRUE(testing::PumpUntil([&] { return !target_.drives.empty(); }));
}

TEST_F(FileMonitorsTest, AReportGoesToTheTargetOfTheMomentAndNoOtherOne) {
    const std::string shown = tree_.Folder("shown");
    ASSERT_TRUE(monitors_.StartFolderMonitor(shown));
    RecordingTarget nested;
    MonitorTarget* previous = monitors_.SetMessageTarget(&nested);
    EXPECT_EQ(previous, &target_);
    tree_.File("shown/one.wav");
    EXPECT_TRUE(testing::PumpUntil([&] { return nested.folderChanges > 0; }));
    EXPECT_EQ(target_.folderChanges, 0);

    // With no dialog open a change reaches nobody, not even a later target.
    monitors_.SetMessageTarget(nullptr);
    tree_.File("shown/two.wav");
    testing::Pump(300);
    monitors_.SetMessageTarget(previous);
    testing::Pump(100);
    EXPECT_EQ(target_.folderChanges, 0);
}

TEST_F(FileMonitorsTest, RestartForAMaskReportsEveryMonitoredDrive) {
    testing::FolderFixture cd;
    const std::vector<Drive> drives = {{tree_.Root(), DriveType::kFixed},
                                       {cd.Root(), DriveType::kCdRom}};
    monitors_.RestartForMask(drives, 44, tree_.Root());
    EXPECT_TRUE(testing::PumpUntil([&] { return !target_.drives.empty(); }));
    EXPECT_EQ(target_.drives, std::vector<std::string>{tree_.Root()});
    EXPECT_TRUE(monitors_.DriveMonitorRunning(tree_.Root()));
    EXPECT_FALSE(monitors_.DriveMonitorRunning(cd.Root()));
    EXPECT_EQ(monitors_.MonitoredFolder(), tree_.Root());
    monitors_.StopAll();
    EXPECT_FALSE(monitors_.FolderMonitorRunning());
    EXPECT_FALSE(monitors_.DriveMonitorRunning(tree_.Root()));
}

}  // namespace
}  // namespace tamberline
