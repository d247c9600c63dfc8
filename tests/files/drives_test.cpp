#include "files/drives.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>

#include "files/mount_watcher.h"
#include "folder_fixture.h"

namespace tamberline {
namespace {

bool RemovableWhenEight(std::string_view device) {
    return device.starts_with("8:");
}

TEST(DrivesTest, MountsBecomeRootsWithTheirTypes) {
    const std::string info =
        "22 1 259:2 / / rw - ext4 /dev/nvme0n1p2 rw\n"
        "23 22 0:5 / /proc rw - proc proc rw\n"
        "24 22 259:3 / /home rw - ext4 /dev/nvme0n1p3 rw\n"
        "30 22 8:17 / /media/op/SHOW\\040STICK rw - vfat /dev/sdb1 rw\n"
        "31 22 11:0 / /mnt/cd rw - iso9660 /dev/sr0 ro\n"
        "32 22 0:50 / /mnt/nas rw - nfs4 nas:/music rw\n"
        "33 22 0:51 / /run/media/op/remote rw - fuse.sshfs op@host: rw\n"
        "34 22 0:52 / /mnt/scratch rw - tmpfs none rw\n"
        "35 22 0:53 / /srv/other rw - ext4 /dev/sdc1 rw\n"
        "broken line\n";
    const std::vector<Drive> drives = DrivesFromMountInfo(info, "/home/op", RemovableWhenEight);
    const std::vector<std::pair<std::string, DriveType>> expected = {
        {"/", DriveType::kFixed},
        {"/home/op/", DriveType::kFixed},
        {"/media/op/SHOW STICK/", DriveType::kRemovable},
        {"/mnt/cd/", DriveType::kCdRom},
        {"/mnt/nas/", DriveType::kRemote},
        {"/mnt/scratch/", DriveType::kFixed},
        {"/run/media/op/remote/", DriveType::kRemote},
    };
    ASSERT_EQ(drives.size(), expected.size());
    for (size_t i = 0; i < drives.size(); ++i) {
        EXPECT_EQ(drives[i].root, expected[i].first);
        EXPECT_EQ(drives[i].type, expected[i].second) << drives[i].root;
    }
}

TEST(DrivesTest, MasksSelectTypes) {
    const struct {
        uint32_t mask;
        bool removable, fixed, remote, cd;
    } cases[] = {
        {8, false, true, false, false},
        {12, true, true, false, false},
        {44, true, true, false, true},
        {28, true, true, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InDriveMask(c.mask, DriveType::kRemovable), c.removable) << c.mask;
        EXPECT_EQ(InDriveMask(c.mask, DriveType::kFixed), c.fixed) << c.mask;
        EXPECT_EQ(InDriveMask(c.mask, DriveType::kRemote), c.remote) << c.mask;
        EXPECT_EQ(InDriveMask(c.mask, DriveType::kCdRom), c.cd) << c.mask;
    }
}

// A real mount under /mnt arrives as a drive and leaves again.
TEST(DrivesTest, AMountedFileSystemArrivesAndLeaves) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    char point[] = "/mnt/tamberline-test-XXXXXX";
    ASSERT_NE(::mkdtemp(point), nullptr);
    const std::string root = std::string(point) + "/";
    MountWatcher watcher;
    std::vector<std::string> arrived;
    std::vector<std::string> removed;
    QObject::connect(&watcher, &MountWatcher::DriveArrived,
                     [&arrived](const Drive& drive) { arrived.push_back(drive.root); });
    QObject::connect(&watcher, &MountWatcher::DriveRemoved,
                     [&removed](const Drive& drive) { removed.push_back(drive.root); });
    if (::mount("none", point, "tmpfs", 0, "size=1m") != 0) {
        ::rmdir(point);
        GTEST_SKIP() << "this sandbox does not allow mounting";
    }
    EXPECT_TRUE(testing::PumpUntil([&] { return !arrived.empty(); }));
    const std::vector<Drive> drives = SystemDrives();
    const auto shown = std::find_if(drives.begin(), drives.end(),
                                    [&root](const Drive& d) { return d.root == root; });
    ASSERT_NE(shown, drives.end());
    EXPECT_EQ(shown->type, DriveType::kFixed);
    EXPECT_EQ(DriveTypeOfPath(root), DriveType::kFixed);
    ::umount(point);
    ::rmdir(point);
    EXPECT_TRUE(testing::PumpUntil([&] { return !removed.empty(); }));
    EXPECT_EQ(arrived, std::vector<std::string>{root});
    EXPECT_EQ(removed, std::vector<std::string>{root});
}

}  // namespace
}  // namespace tamberline
