#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "songlist/own_shares.h"

namespace tamberline {

// Rewrites a songlist whose entries name shares of this very computer so
// that they name the local folders instead. Returns the songlist's new size
// when it was rewritten; nothing when it needed no change or could not be
// rewritten. Entries on other computers are kept as they are.
std::optional<int64_t> LocaliseSonglist(const std::string& path,
                                        const ShareSettings& settings = {});

}  // namespace tamberline
