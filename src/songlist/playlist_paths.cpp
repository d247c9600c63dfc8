#include "songlist/playlist_paths.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/path_parts.h"

namespace tamberline {
namespace {

bool HasDriveLetter(const std::string& entry) {
    return entry.size() >= 2 && entry[1] == ':';
}

// "/a/b/" -> "/a/"; the root stays the root. `folder` ends in a separator.
std::string ParentFolder(const std::string& folder) {
    const size_t sep = folder.find_last_of("/\\", folder.size() - 2);
    return sep == std::string::npos ? std::string() : folder.substr(0, sep + 1);
}

std::string Relative(std::string entry, std::string folder) {
    std::replace(entry.begin(), entry.end(), '\\', '/');
    static constexpr std::string_view kUp = "../";
    // "\intro.wav", as archives store entries, is relative too.
    size_t rest = entry[0] == '/' ? 1 : 0;
    // With no folder to climb from, the climbing stays in the entry.
    while (!folder.empty() && std::string_view(entry).substr(rest, kUp.size()) == kUp) {
        rest += kUp.size();
        if (folder.size() > 1) {
            folder = ParentFolder(folder);
        }
    }
    return folder + entry.substr(rest);
}

}  // namespace

void ResolvePlaylistPaths(const std::string& playlistPath, std::vector<std::string>& entries,
                          const ShareSettings& shares) {
    if (IsNetworkPath(playlistPath)) {
        return;
    }
    const std::string folder = FolderPart(playlistPath);
    std::optional<OwnShares> ownShares;
    for (std::string& entry : entries) {
        if (IsNetworkPath(entry)) {
            if (!ownShares) {
                ownShares.emplace(shares);
            }
            LocalPathOfOwnShare(entry, *ownShares);
        } else if (!entry.empty() && entry[0] != '/' && !HasDriveLetter(entry)) {
            entry = Relative(std::move(entry), folder);
        }
    }
}

}  // namespace tamberline
