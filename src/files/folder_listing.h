#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamberline {

enum class ListOrder { kNatural, kByDate };

// Told the number of entries seen so far, now and then during a scan, so a
// caller on the GUI thread can show it and let the event loop run; false
// ends the scan early.
using ScanProgress = std::function<bool(int seen)>;
// Scans call their progress callback after this many entries; every entry
// would make the event loop the slowest part of a large folder.
inline constexpr int kScanProgressEvery = 64;

struct FolderScan {
    std::vector<std::string> names;
    bool complete = true;  // false: ended by the progress callback
    int error = 0;         // errno when the folder could not be read
};

// The plain files of `folder` whose names match `pattern` ("*.m3u", "*.*";
// without regard to case), in natural or date order. Hidden names (a
// leading '.') are left out, as the desktop's own file views do.
FolderScan ListFolderFiles(const std::string& folder, const std::string& pattern, ListOrder order,
                           const ScanProgress& progress = {});

// The subfolders of `folder` in natural order, hidden ones left out. A
// link to a folder counts as one; a link that leads nowhere (or round in a
// loop) does not.
FolderScan ListSubfolders(const std::string& folder, const ScanProgress& progress = {});

// True when `folder` holds at least one (not hidden) subfolder; a network
// path counts as having one.
bool HasSubfolders(const std::string& folder);

bool IsFolder(const std::string& path);

// True when `name` matches `pattern` without regard to case; "*.*" matches
// every name, as it always has on the systems sessions come from.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// "%Y%m%d%H%M%S" of a modification time in local time.
std::string DateKey(long long secondsSinceEpoch);

}  // namespace tamberline
