#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tamberline {

// Measures one media file in milliseconds; 0 when it cannot be played or
// measured. The audio engine and the media detector each provide one.
using MediaLengthFn = std::function<int32_t(const std::string& path)>;

// Milliseconds raised to the next multiple of 500 (1 -> 500, 500 -> 500,
// 501 -> 1000). 0 and below give 0; lengths beyond the 32-bit range stop at
// its largest multiple of 500.
int32_t RoundUpToHalfSecond(int64_t ms);

// Removes every entry that measures 0 and returns the total of the others,
// each rounded up to a multiple of 500 and counted once.
int32_t PlaylistLength(std::vector<std::string>& entries, const MediaLengthFn& mediaLength);

}  // namespace tamberline
