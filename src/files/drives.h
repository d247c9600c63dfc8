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

// One root of the folder trees: "/" and the home folder, and every mounted
// file system under /media, /run/media and /mnt.
struct Drive {
    std::string root;  // ends in '/'
    DriveType type = DriveType::kFixed;
};

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

// The type of the file system holding `path`, from the system's mounts.
DriveType DriveTypeOfPath(const std::string& path);

// Ends `folder` with exactly one '/'.
std::string WithTrailingSlash(std::string folder);

}  // namespace tamberline
