#pragma once

#include <cstdint>
#include <string>

namespace tamberline {

// The length of a sound file in milliseconds as the audio engine plays it,
// measured on a private engine that has no device: rounded up to a multiple
// of 500, and 0 when the file cannot be played.
int32_t AudioEngineMediaLength(const std::string& path);

}  // namespace tamberline
