#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamberline {

// The families of playlist files, chosen by the path's ending alone.
enum class PlaylistKind { kNone, kAsx, kSequence, kM3u };

// "ASX", "WAX", "WVX": ASX family; "WPL", "SMIL": sequence family; "M3U":
// one path a line. Compared without regard to case.
PlaylistKind PlaylistKindOf(std::string_view path);

// One entry as it stands in the file: its path and where its text lies, so
// that a copy can replace exactly that text.
struct PlaylistEntry {
    std::string path;
    size_t offset = 0;
    size_t length = 0;
};

// The entries of a playlist file's bytes, in file order. Never fails:
// anything unreadable gives fewer entries or none.
std::vector<PlaylistEntry> ParsePlaylistText(PlaylistKind kind, std::string_view bytes);

// Fills `out` with `bytes` in which the text of entry i is replaced by
// newPaths[i] and everything else is kept byte for byte. Only the entries'
// own places change, so one entry's text inside another's ("a.wav" in
// "old/a.wav") is never touched. False when the lists differ in length or
// the entries do not lie in order inside `bytes`.
bool RewritePlaylistText(PlaylistKind kind, std::string_view bytes,
                         const std::vector<PlaylistEntry>& entries,
                         const std::vector<std::string>& newPaths, std::string& out);

}  // namespace tamberline
