#include "files/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <memory>

#include "base/path_parts.h"
#include "files/natural_order.h"

namespace tamberline {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

enum class EntryKind { kFile, kFolder, kOther };

EntryKind KindOf(DIR* dir, const dirent* entry, struct stat* info) {
    if (entry->d_type == DT_DIR) {
        return EntryKind::kFolder;
    }
    if (entry->d_type == DT_REG && info == nullptr) {
        return EntryKind::kFile;
    }
    if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) {
        return EntryKind::kOther;
    }
    struct stat local;
    struct stat* target = info ? info : &local;
    // Follows links; a dangling link or a loop fails and is left out.
    if (::fstatat(::dirfd(dir), entry->d_name, target, 0) != 0) {
        return EntryKind::kOther;
    }
    if (S_ISDIR(target->st_mode)) {
        return EntryKind::kFolder;
    }
    return S_ISREG(target->st_mode) ? EntryKind::kFile : EntryKind::kOther;
}

bool IsHidden(const char* name) {
    return name[0] == '.';
}

// Runs `take` on every visible entry; false from the progress callback ends
// the scan.
template <typename Take>
FolderScan Scan(const std::string& folder, const ScanProgress& progress, Take take) {
    FolderScan scan;
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir) {
        scan.error = errno;
        return scan;
    }
    int seen = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!IsHidden(entry->d_name)) {
            take(dir.get(), entry, scan.names);
        }
        if (progress && ++seen % kScanProgressEvery == 0 && !progress(seen)) {
            scan.complete = false;
            break;
        }
    }
    return scan;
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    if (pattern == "*.*" || pattern == "*" || pattern.empty()) {
        return true;
    }
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

std::string DateKey(long long secondsSinceEpoch) {
    const std::time_t time = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[32];
    const size_t length = std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return std::string(text, length);
}

FolderScan ListFolderFiles(const std::string& folder, const std::string& pattern, ListOrder order,
                           const ScanProgress& progress) {
    const bool byDate = order == ListOrder::kByDate;
    std::vector<std::string> keys;
    FolderScan scan = Scan(folder, progress, [&](DIR* dir, const dirent* entry, auto& names) {
        if (!MatchesPattern(entry->d_name, pattern)) {
            return;
        }
        struct stat info {};
        if (KindOf(dir, entry, byDate ? &info : nullptr) != EntryKind::kFile) {
            return;
        }
        names.emplace_back(entry->d_name);
        if (byDate) {
            keys.push_back(DateKey(info.st_mtim.tv_sec));
        }
    });
    if (byDate) {
        // Files of the same second keep a stable, natural order among them.
        const std::vector<std::string> natural = NaturalSortKeys(scan.names);
        for (size_t i = 0; i < keys.size(); ++i) {
            keys[i] += '/' + natural[i];
        }
        SortByKeys(scan.names, keys);
    } else {
        SortNatural(scan.names);
    }
    return scan;
}

FolderScan ListSubfolders(const std::string& folder, const ScanProgress& progress) {
    FolderScan scan = Scan(folder, progress, [](DIR* dir, const dirent* entry, auto& names) {
        if (KindOf(dir, entry, nullptr) == EntryKind::kFolder) {
            names.emplace_back(entry->d_name);
        }
    });
    SortNatural(scan.names);
    return scan;
}

bool HasSubfolders(const std::string& folder) {
    if (IsNetworkPath(folder)) {
        return true;
    }
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!IsHidden(entry->d_name) && KindOf(dir.get(), entry, nullptr) == EntryKind::kFolder) {
            return true;
        }
    }
    return false;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tamberline
