#include "files/drives.h"

#include <QDir>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "files/folder_listing.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

// mountinfo escapes blanks and backslashes in paths as \ooo.
std::string Unescape(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view mountInfo) {
    std::vector<MountEntry> mounts;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional...] - type source ...
        std::istringstream fields(line);
        std::string id, parent, device, root, point, field;
        if (!(fields >> id >> parent >> device >> root >> point)) {
            continue;
        }
        while (fields >> field && field != "-") {
        }
        std::string type;
        if (field != "-" || !(fields >> type)) {
            continue;
        }
        mounts.push_back({Unescape(point), type, device});
    }
    return mounts;
}

namespace {

bool IsUnder(const std::string& point, std::string_view top) {
    return point.size() > top.size() && point.compare(0, top.size(), top) == 0 &&
           point[top.size()] == '/';
}

bool IsShownMountPoint(const std::string& point) {
    return IsUnder(point, "/media") || IsUnder(point, "/run/media") || IsUnder(point, "/mnt");
}

// The mount holding `path`: the longest mount point that holds it; later
// lines mount over earlier ones, so equal lengths take the later.
const MountEntry* MountHolding(const std::vector<MountEntry>& mounts, const std::string& path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& mount : mounts) {
        const bool holds = mount.point == "/" || mount.point == path || IsUnder(path, mount.point);
        if (holds && (!best || mount.point.size() >= best->point.size())) {
            best = &mount;
        }
    }
    return best;
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WithTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool IsRemovableBlockDevice(std::string_view majorMinor) {
    // A partition's own folder has no "removable"; its disk's folder has.
    const std::string base = "/sys/dev/block/" + std::string(majorMinor);
    for (const char* file : {"/removable", "/../removable"}) {
        const std::string text = ReadWholeFile(base + file);
        if (!text.empty()) {
            return text.front() == '1';
        }
    }
    return false;
}

DriveType DriveTypeOf(std::string_view fileSystemType, std::string_view majorMinor,
                      RemovableLookup removable) {
    if (fileSystemType == "iso9660" || fileSystemType == "udf") {
        return DriveType::kCdRom;
    }
    if (IsRemoteFileSystemType(fileSystemType)) {
        return DriveType::kRemote;
    }
    if (!majorMinor.starts_with("0:") && removable && removable(majorMinor)) {
        return DriveType::kRemovable;
    }
    return DriveType::kFixed;
}

std::vector<Drive> DrivesFromMountInfo(std::string_view mountInfo, const std::string& home,
                                       RemovableLookup removable) {
    const std::vector<MountEntry> mounts = ParseMountInfo(mountInfo);
    auto typeAt = [&](const std::string& path) {
        const MountEntry* mount = MountHolding(mounts, path);
        return mount ? DriveTypeOf(mount->type, mount->device, removable) : DriveType::kFixed;
    };
    std::vector<Drive> drives{{"/", typeAt("/")}};
    if (!home.empty() && WithTrailingSlash(home) != "/") {
        drives.push_back({WithTrailingSlash(home), typeAt(home)});
    }
    std::vector<Drive> mounted;
    for (const MountEntry& mount : mounts) {
        const std::string root = WithTrailingSlash(mount.point);
        if (!IsShownMountPoint(mount.point) ||
            std::any_of(mounted.begin(), mounted.end(),
                        [&root](const Drive& d) { return d.root == root; })) {
            continue;
        }
        mounted.push_back({root, typeAt(mount.point)});
    }
    std::sort(mounted.begin(), mounted.end(),
              [](const Drive& a, const Drive& b) { return a.root < b.root; });
    drives.insert(drives.end(), mounted.begin(), mounted.end());
    return drives;
}

std::vector<Drive> SystemDrives() {
    return DrivesFromMountInfo(ReadWholeFile(kSystemMountInfo), QDir::homePath().toStdString());
}

std::vector<std::string> NetworkSharesFromMountInfo(std::string_view mountInfo,
                                                    FolderLister folders) {
    std::vector<std::string> shares;
    const auto add = [&shares](std::string share) {
        share = WithTrailingSlash(std::move(share));
        if (std::find(shares.begin(), shares.end(), share) == shares.end()) {
            shares.push_back(std::move(share));
        }
    };
    for (const MountEntry& mount : ParseMountInfo(mountInfo)) {
        if (mount.type == "fuse.gvfsd-fuse") {
            for (const std::string& name :
                 folders ? folders(mount.point) : std::vector<std::string>{}) {
                add(WithTrailingSlash(mount.point) + name);
            }
        } else if (IsRemoteFileSystemType(mount.type)) {
            add(mount.point);
        }
    }
    return shares;
}

std::vector<std::string> SubfolderNames(const std::string& folder) {
    return ListSubfolders(folder).names;
}

DriveType DriveTypeOfPath(const std::string& path) {
    const std::vector<MountEntry> mounts = ParseMountInfo(ReadWholeFile(kSystemMountInfo));
    std::string absolute = path;
    while (absolute.size() > 1 && absolute.back() == '/') {
        absolute.pop_back();
    }
    const MountEntry* mount = MountHolding(mounts, absolute);
    return mount ? DriveTypeOf(mount->type, mount->device, IsRemovableBlockDevice)
                 : DriveType::kUnknown;
}

}  // namespace tamberline
