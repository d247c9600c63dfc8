#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamberline {

// The track titles of raw CD-TEXT as a drive returns it (as
// `ReadCdTrackNames` takes them): a 4-byte header whose big-endian length counts
// the bytes after its own two, then 18-byte packs. The walk never passes
// `size` nor the header's length. Returns `lastTrack` titles, "" where the
// text holds none; the album title is skipped.
std::vector<std::string> CdTextTitles(const uint8_t* data, size_t size, int lastTrack);

// A title made safe as a file name: ".wav" at the end dropped (without
// regard to case), separators, control and reserved characters replaced,
// leading and trailing dots and blanks trimmed, at most 200 bytes (whole
// UTF-8 characters); "Track %d" when nothing usable is left.
std::string TrackFileName(const std::string& title, int track);

}  // namespace tamberline
