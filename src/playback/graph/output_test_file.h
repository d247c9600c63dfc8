#pragma once

#include <string>

namespace tamberline {

inline constexpr int kOutputTestFileSize = 1816;

// "tamberlinetest-<process id>.wav" in `folder`: each running program has
// its own, so a build of the outputs never deletes a file another program
// is still probing its sound cards with.
std::string OutputTestFilePath(const std::string& folder);

// Writes the silent test file a sound card must play to become an output: a
// 16-bit stereo 44.1 kHz WAV of 443 frames, 1,816 bytes. A file or link of
// that name left by someone else is never written through. False when the
// file could not be written.
bool WriteOutputTestFile(const std::string& path);

}  // namespace tamberline
