#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberline {

// Writes a copy of the playlist `source` to `destination` in which the
// entries name `newPaths` (one per entry of the source, same order); the
// rest of the file is copied unchanged. The copy gets the source's last
// access and last modification times (a file's creation time cannot be set
// on Linux, so the copy's own stays). The destination is replaced only by a
// complete copy. Returns the destination's size, or 0 when nothing was
// written: a missing or unreadable source, a count that differs from the
// source's entries, or a failed write.
int64_t CopyPlaylistRewritten(const std::string& source, const std::string& destination,
                              const std::vector<std::string>& newPaths);

}  // namespace tamberline
