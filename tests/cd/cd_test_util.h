#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberline::testing {

// A WAV file's bytes: PCM with the given format and `data` as its samples.
std::string MakeWav(const std::string& data, uint16_t channels = 2, uint32_t rate = 44100,
                    uint16_t bits = 16);
// `bytes` of pseudo-random CD audio, different for each seed, no silent frame.
std::string NoiseAudio(size_t bytes, uint32_t seed);
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
// The audio bytes of a WAV written by the ripper (after its 44-byte header).
std::string WavData(const std::string& path);

}  // namespace tamberline::testing
