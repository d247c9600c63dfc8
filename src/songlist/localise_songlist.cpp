#include "songlist/localise_songlist.h"

#include <vector>

#include "base/path_parts.h"
#include "songlist/playlist_copy.h"
#include "songlist/playlist_reader.h"

namespace tamberline {

std::optional<int64_t> LocaliseSonglist(const std::string& path, const ShareSettings& settings) {
    std::vector<std::string> entries;
    ReadPlaylist(path, entries, false, settings);
    const OwnShares shares(settings);
    bool changed = false;
    for (std::string& entry : entries) {
        std::string local = entry;
        if (IsNetworkPath(entry) && LocalPathOfOwnShare(local, shares)) {
            entry = local;
            changed = true;
        }
    }
    if (!changed) {
        return std::nullopt;
    }
    const int64_t size = CopyPlaylistRewritten(path, path, entries);
    if (size <= 0) {
        return std::nullopt;
    }
    return size;
}

}  // namespace tamberline
