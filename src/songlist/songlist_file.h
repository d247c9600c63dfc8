#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberline {

// The editor's own M3U: one absolute path a line, each line ended by
// CR LF, nothing else.
std::string SonglistBytes(const std::vector<std::string>& entries);

// Replaces the songlist at `path` by the entries all at once, so a full
// disk or a crash leaves the old list or the new one. Returns 0 or the
// system's error code; a read-only file is refused.
int WriteSonglist(const std::string& path, const std::vector<std::string>& entries);

// "Songlist.m3u" in `folder`, or "Songlist (1).m3u", "Songlist (2).m3u" ...
// the first name no file has.
std::string NewSonglistPath(const std::string& folder);

// True when `path` reads back from an M3U line as itself: a line holding
// "#" is no entry, blanks around a line are dropped, a line break ends it
// and a backslash turns into a separator. Anything else would be lost at
// the next open, so the editor never adds it.
bool SurvivesSonglist(const std::string& path);

// The caption above the song list for a total in milliseconds:
// "Song list  mm:ss", from an hour up "Song list  hh:mm:ss", and
// "Song list." for none.
std::string SonglistCaption(int64_t totalMs);

}  // namespace tamberline
