#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tamberline::testing {

// The files a common player finds in a playlist (Totem's playlist parser,
// the one the desktop's players use); nothing when the parser is not
// installed or refuses the file.
std::optional<std::vector<std::string>> CommonPlayerEntries(const std::string& playlistPath);

}  // namespace tamberline::testing
