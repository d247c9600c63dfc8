#include "cd_test_util.h"

#include <fstream>
#include <sstream>

namespace tamberline::testing {

namespace {
std::string U16(uint16_t v) {
    return std::string{char(v & 0xff), char(v >> 8)};
}
std::string U32(uint32_t v) {
    return std::string{char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff),
                       char((v >> 24) & 0xff)};
}
}  // namespace

std::string MakeWav(const std::string& data, uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    std::string fmt =
        U16(1) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
    // A LIST chunk before the data, as many editors write, so the data offset is not 44.
    std::string list = "LIST" + U32(4) + "INFO";
    std::string body = "WAVE" + std::string("fmt ") + U32(16) + fmt + list + "data" +
                       U32(static_cast<uint32_t>(data.size())) + data;
    return "RIFF" + U32(static_cast<uint32_t>(body.size())) + body;
}

std::string NoiseAudio(size_t bytes, uint32_t seed) {
    std::string out(bytes, '\0');
    uint32_t x = seed * 2654435761u + 12345;
    for (size_t i = 0; i < bytes; ++i) {
        x = x * 1664525u + 1013904223u;
        out[i] = static_cast<char>((x >> 24) | 1);
    }
    return out;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string WavData(const std::string& path) {
    const std::string all = ReadAll(path);
    return all.size() >= 44 ? all.substr(44) : std::string();
}

}  // namespace tamberline::testing
