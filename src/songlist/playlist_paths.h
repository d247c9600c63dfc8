#pragma once

#include <string>
#include <vector>

#include "songlist/own_shares.h"

namespace tamberline {

// Makes the entries of the playlist at `playlistPath` usable from here, in
// place:
// - a network path becomes the local path of this computer's own share, or
//   "" when it points to another computer or an unknown share;
// - a path with a drive letter ("D:\...") and an absolute path stay as they
//   are;
// - anything else is relative to the playlist's folder: backslashes become
//   "/", each leading "../" climbs one folder, and the folder is put in
//   front.
// Nothing changes when the playlist itself lies on a network path.
void ResolvePlaylistPaths(const std::string& playlistPath, std::vector<std::string>& entries,
                          const ShareSettings& shares = {});

}  // namespace tamberline
