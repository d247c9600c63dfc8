#include "session/session_paths.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

TEST(SessionPathsTest, WorkingCopyReplacesTheLastThreeCharacters) {
    EXPECT_EQ(WorkingCopyPath("/shows/Gala.dbf"), "/shows/Gala.tmp");
    EXPECT_EQ(WorkingCopyPath("/shows/Gala.DBF"), "/shows/Gala.tmp");
    EXPECT_EQ(WorkingCopyPath("ab"), "");
}

TEST(SessionPathsTest, QuotesAreRemovedWhereverTheyStand) {
    EXPECT_EQ(WithoutQuotes("\"/shows/My Gala.dbf\""), "/shows/My Gala.dbf");
    EXPECT_EQ(WithoutQuotes("/a\"b\".dbf"), "/ab.dbf");
}

TEST(SessionPathsTest, NamePartAndFolderPartTakeEitherSeparator) {
    EXPECT_EQ(FileNamePart("/shows/Gala.dbf"), "Gala.dbf");
    EXPECT_EQ(FileNamePart("c:\\shows\\Gala.dbf"), "Gala.dbf");
    EXPECT_EQ(FolderPart("/shows/Gala.dbf"), "/shows");
    EXPECT_EQ(FolderPart("/Gala.dbf"), "/");
    EXPECT_EQ(FolderPart("Gala.dbf"), "");
}

TEST(SessionPathsTest, SharePathsAreNetworkPaths) {
    EXPECT_TRUE(IsNetworkPath("//server/shows/Gala.dbf"));
    EXPECT_TRUE(IsNetworkPath("\\\\server\\shows\\Gala.dbf"));
    EXPECT_FALSE(IsNetworkPath("/tmp/Gala.dbf"));
}

TEST(SessionPathsTest, RemoteFileSystemTypes) {
    const struct {
        const char* type;
        bool remote;
    } cases[] = {
        {"nfs", true},      {"nfs4", true},       {"cifs", true},
        {"smb3", true},     {"fuse.sshfs", true}, {"fuse.gvfsd-fuse", true},
        {"9p", true},       {"ext4", false},      {"tmpfs", false},
        {"overlay", false}, {"fuseblk", false},   {"fuse.ntfs-3g", false},
        {"vfat", false},    {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsRemoteFileSystemType(c.type), c.remote) << c.type;
    }
}

TEST(SessionPathsTest, MountTypeIsThatOfTheLongestMountPointHoldingThePath) {
    const std::string mountInfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 0:50 / /mnt/shows rw,relatime shared:20 - nfs4 srv:/shows rw\n"
        "41 40 0:51 / /mnt/shows/local rw - tmpfs tmpfs rw\n"
        "42 22 0:52 / /mnt/my\\040disk rw - cifs //srv/d rw\n"
        "43 22 0:53 / /mnt/showsextra rw - ext4 /dev/sdb1 rw\n";
    const struct {
        const char* path;
        const char* type;
    } cases[] = {
        {"/home/op/Gala.dbf", "ext4"},
        {"/mnt/shows/Gala.dbf", "nfs4"},
        {"/mnt/shows", "nfs4"},
        {"/mnt/shows/local/Gala.dbf", "tmpfs"},
        {"/mnt/showsextra/Gala.dbf", "ext4"},
        {"/mnt/my disk/Gala.dbf", "cifs"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MountTypeOf(c.path, mountInfo), c.type) << c.path;
    }
}

}  // namespace
}  // namespace tamberline
