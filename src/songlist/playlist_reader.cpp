#include "songlist/playlist_reader.h"

#include "songlist/byte_source.h"
#include "songlist/playlist_paths.h"

namespace tamberline {

bool IsPlaylistFile(const std::string& path) {
    return PlaylistKindOf(path) != PlaylistKind::kNone;
}

bool ReadPlaylistFile(const std::string& path, std::string& bytes,
                      std::vector<PlaylistEntry>& entries) {
    entries.clear();
    const PlaylistKind kind = PlaylistKindOf(path);
    if (kind == PlaylistKind::kNone || !ReadWholeFile(path, kMaxPlaylistBytes, bytes)) {
        bytes.clear();
        return false;
    }
    entries = ParsePlaylistText(kind, bytes);
    return true;
}

void ReadPlaylist(const std::string& path, std::vector<std::string>& entries, bool resolve,
                  const ShareSettings& shares) {
    entries.clear();
    std::string bytes;
    std::vector<PlaylistEntry> found;
    if (!ReadPlaylistFile(path, bytes, found)) {
        return;
    }
    entries.reserve(found.size());
    for (PlaylistEntry& entry : found) {
        entries.push_back(std::move(entry.path));
    }
    if (resolve) {
        ResolvePlaylistPaths(path, entries, shares);
    }
}

}  // namespace tamberline
