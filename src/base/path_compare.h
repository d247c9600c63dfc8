#pragma once

#include <string_view>

namespace tamberline {

// The same path when letters are compared without regard to case, as
// buttons and their files have always been matched.
bool SamePathIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tamberline
