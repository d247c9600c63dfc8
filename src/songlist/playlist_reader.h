#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "songlist/own_shares.h"
#include "songlist/playlist_text.h"

namespace tamberline {

// Playlists are short texts; a larger file is not read at all, so a stray
// huge file bound to a button cannot exhaust memory.
inline constexpr size_t kMaxPlaylistBytes = 16u << 20;

// True when the path ends (without regard to case) in "ASX", "WAX", "WVX",
// "WPL", "SMIL" or "M3U".
bool IsPlaylistFile(const std::string& path);

// Empties `entries`, then fills them with the playlist's paths in order.
// A missing or unreadable file, or a path of another kind, leaves the list
// empty. With `resolve` the entries are made usable from here
// (ResolvePlaylistPaths).
void ReadPlaylist(const std::string& path, std::vector<std::string>& entries, bool resolve,
                  const ShareSettings& shares = {});

// The playlist's bytes and its entries as they stand in the file, for
// rewriting a copy. False when the file cannot be read whole.
bool ReadPlaylistFile(const std::string& path, std::string& bytes,
                      std::vector<PlaylistEntry>& entries);

}  // namespace tamberline
