#pragma once

#include <cstdint>
#include <string>

namespace tamberline {

// The length of a media file in milliseconds, measured without playing it
// and without the audio engine, rounded up to a multiple of 500. 0 when the
// file cannot be read or measured. Safe from any thread; blocks while the
// file is examined (at most a few seconds for a file that never answers).
int32_t DetectorMediaLength(const std::string& path);

}  // namespace tamberline
