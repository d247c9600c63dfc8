#pragma once

#include <string>
#include <string_view>

namespace tamberline {

// Text on one line of a list or of the tab-separated run log: line feeds
// and tabs become blanks, carriage returns go.
std::string OneLineText(std::string_view text);

}  // namespace tamberline
