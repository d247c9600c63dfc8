#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamberline {

// Drive types as the drive-type masks count them: bit n of a mask shows
// drives of type n.
enum class DriveType : int { kUnknown = 0, kRemovable = 2, kFixed = 3, kRemote = 4, kCdRom = 5 };

inline bool InDriveMask(uint32_t mask, DriveType type) {
    return (mask >> static_cast<int>(type)) & 1u;
}

// Bit 7 of a drive-type mask asks for the network branch: the mounted
// network shares, wherever they are mounted.
inline constexpr uint32_t kNetworkBranch = 1u << 7;

// One root of the folder trees: "/" and the home folder, and every mounted
// file system under /media, /run/media and /mnt.
struct Drive {
    std::string root;  // ends in '/'
    DriveType type = DriveType::kFixed;
};

// One line of /proc/self/mountinfo.
struct MountEntry {
    std::string point;  // unescaped
    std::string type;
    std::string device;  // major:minor
};
std::vector<MountEntry> ParseMountInfo(std::string_view mountInfo);
inline constexpr char kSystemMountInfo[] = "/proc/self/mountinfo";
// The whole text of a file (procfs files report no size); empty when it
// cannot be read.
std::string ReadWholeFile(const std::string& path);

// Tells whether the block device major:minor is removable.
using RemovableLookup = bool (*)(std::string_view majorMinor);
bool IsRemovableBlockDevice(std::string_view majorMinor);

// The drive type of a file system from its type name and device.
DriveType DriveTypeOf(std::string_view fileSystemType, std::string_view majorMinor,
                      RemovableLookup removable);

// The roots from the text of /proc/self/mountinfo, "/" and `home` first.
std::vector<Drive> DrivesFromMountInfo(std::string_view mountInfo, const std::string& home,
                                       RemovableLookup removable = IsRemovableBlockDevice);
std::vector<Drive> SystemDrives();

// The shares of the network branch, each ending in '/': every mounted
// network file system (NFS, SMB, sshfs ...) in mount order, once; a gvfs
// mount stands for the shares of the desktop's network places, one
// folder each, listed by `folders`.
using FolderLister = std::vector<std::string> (*)(const std::string& folder);
std::vector<std::string> NetworkSharesFromMountInfo(std::string_view mountInfo,
                                                    FolderLister folders);
std::vector<std::string> SubfolderNames(const std::string& folder);

// The type of the file system holding `path`, from the system's mounts.
DriveType DriveTypeOfPath(const std::string& path);

// Ends `folder` with exactly one '/'.
std::string WithTrailingSlash(std::string folder);

}  // namespace tamberline
