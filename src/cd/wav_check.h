#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cd/burn_list.h"

namespace tamberline {

// Reads `size` bytes at `offset`; returns the bytes read.
using ByteReader = std::function<size_t(uint64_t offset, void* out, size_t size)>;

// The burner's WAV check on a file of `fileSize` bytes: RIFF form "WAVE",
// its "fmt " chunk (PCM, 2 channels, 44,100 Hz, 16 bits) and its "data"
// chunk. Every length is bounded by the file.
WavInfo CheckWav(const ByteReader& read, uint64_t fileSize);
WavInfo CheckWavFile(const std::string& path);

}  // namespace tamberline
