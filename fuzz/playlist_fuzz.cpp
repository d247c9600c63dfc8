// Playlist text of one kind (FUZZ_PLAYLIST_KIND): parse, resolve, rewrite.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "songlist/playlist_paths.h"
#include "songlist/playlist_text.h"

namespace {

using tamberline::PlaylistEntry;
using tamberline::PlaylistKind;

constexpr PlaylistKind kKind = PlaylistKind::FUZZ_PLAYLIST_KIND;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<PlaylistEntry> entries = tamberline::ParsePlaylistText(kKind, bytes);

    std::vector<std::string> paths;
    size_t end = 0;
    for (const PlaylistEntry& entry : entries) {
        Check(entry.offset >= end && entry.offset + entry.length <= size && !entry.path.empty());
        end = entry.offset + entry.length;
        paths.push_back(entry.path);
    }
    // No Samba configuration: network entries become "" without touching
    // the machine's own.
    tamberline::ResolvePlaylistPaths("/lists/Set/x.m3u", paths,
                                     {"/nonexistent/smb.conf", "fuzz-host"});

    const std::vector<std::string> newPaths(entries.size(), "/arch/R&B <1>.wav");
    std::string copy;
    Check(tamberline::RewritePlaylistText(kKind, bytes, entries, newPaths, copy));
    if (kKind == PlaylistKind::kM3u) {
        // Lines stay lines: the copy lists exactly the new paths.
        const std::vector<PlaylistEntry> again = tamberline::ParsePlaylistText(kKind, copy);
        Check(again.size() == newPaths.size());
        for (const PlaylistEntry& entry : again) {
            Check(entry.path == newPaths[0]);
        }
    }
    return 0;
}
