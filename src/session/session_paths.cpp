#include "session/session_paths.h"

#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tamberline {

namespace {

// mountinfo escapes blanks and backslashes in paths as \ooo.
std::string Unescape(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(std::stoi(std::string(digits), nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// True when `mountPoint` is `path` or one of its folders.
bool Holds(std::string_view mountPoint, std::string_view path) {
    if (mountPoint == "/") {
        return true;
    }
    return path.substr(0, mountPoint.size()) == mountPoint &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

std::string AbsolutePath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

std::string ReadMountInfo() {
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string WorkingCopyPath(const std::string& sessionPath) {
    if (sessionPath.size() < 3) {
        return {};
    }
    return sessionPath.substr(0, sessionPath.size() - 3) + "tmp";
}

bool IsWorkingCopyName(const std::string& sessionPath) {
    return !sessionPath.empty() && WorkingCopyPath(sessionPath) == sessionPath;
}

std::string WithoutQuotes(std::string_view path) {
    std::string out(path);
    std::erase(out, '"');
    return out;
}

bool IsRemoteFileSystemType(std::string_view type) {
    static constexpr std::array<std::string_view, 12> kRemote = {
        "nfs", "nfs4", "cifs", "smb3",  "smbfs",     "ncpfs",
        "afs", "ceph", "9p",   "davfs", "glusterfs", "lustre"};
    static constexpr std::array<std::string_view, 6> kRemoteFuse = {
        "sshfs", "gvfsd-fuse", "rclone", "s3fs", "glusterfs", "davfs2"};
    if (std::find(kRemote.begin(), kRemote.end(), type) != kRemote.end()) {
        return true;
    }
    if (type.starts_with("fuse.")) {
        const std::string_view sub = type.substr(5);
        return std::find(kRemoteFuse.begin(), kRemoteFuse.end(), sub) != kRemoteFuse.end();
    }
    return false;
}

std::string MountTypeOf(std::string_view absolutePath, std::string_view mountInfo) {
    std::string best;
    size_t bestLength = 0;
    bool found = false;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional...] - type source ...
        std::istringstream fields(line);
        std::string id, parent, numbers, root, mountPoint, field;
        if (!(fields >> id >> parent >> numbers >> root >> mountPoint)) {
            continue;
        }
        while (fields >> field && field != "-") {
        }
        std::string type;
        if (field != "-" || !(fields >> type)) {
            continue;
        }
        const std::string point = Unescape(mountPoint);
        // Later lines mount over earlier ones, so equal lengths take the later.
        if (Holds(point, absolutePath) && (!found || point.size() >= bestLength)) {
            best = type;
            bestLength = point.size();
            found = true;
        }
    }
    return best;
}

bool IsOnNetwork(const std::string& path) {
    if (IsNetworkPath(path)) {
        return true;
    }
    const std::string absolute = AbsolutePath(path);
    if (absolute.empty() || absolute.front() != '/') {
        return false;
    }
    return IsRemoteFileSystemType(MountTypeOf(absolute, ReadMountInfo()));
}

std::string DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

}  // namespace tamberline
