#include "cd/wav_check.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "base/little_endian.h"

namespace tamberline {

WavInfo CheckWav(const ByteReader& read, uint64_t fileSize) {
    WavInfo info;
    info.fileSize = static_cast<int64_t>(fileSize);
    uint8_t head[12];
    if (fileSize < 12 || read(0, head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0) {
        return info;
    }
    const uint64_t riffEnd = std::min<uint64_t>(fileSize, 8 + uint64_t{le::GetU32(head + 4)});
    bool haveFormat = false;
    bool formatOk = false;
    uint64_t pos = 12;
    while (pos + 8 <= riffEnd) {
        uint8_t chunk[8];
        if (read(pos, chunk, 8) != 8) {
            return info;
        }
        const uint64_t size = le::GetU32(chunk + 4);
        const uint64_t body = pos + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            uint8_t fmt[16];
            if (size < 16 || body + 16 > fileSize || read(body, fmt, 16) != 16) {
                return info;
            }
            haveFormat = true;
            formatOk = le::GetU16(fmt) == 1 && le::GetU16(fmt + 2) == 2 &&
                       le::GetU32(fmt + 4) == 44100 && le::GetU16(fmt + 14) == 16;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat || !formatOk) {
                return info;
            }
            // A data chunk cut short by the end of the file holds what is there.
            const uint64_t have = fileSize > body ? fileSize - body : 0;
            const uint64_t data = std::min(size, have);
            if (body > 0x7fffffffu) {
                return info;
            }
            info.dataSize = static_cast<uint32_t>(data & ~uint64_t{3});
            info.dataOffset = static_cast<int32_t>(body);
            info.valid = true;
            return info;
        }
        pos = body + size + (size & 1);
    }
    return info;
}

WavInfo CheckWavFile(const std::string& path) {
    WavInfo info;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return info;
    }
    info.fileSize = st.st_size;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        return info;
    }
    FILE* f = file.get();
    return CheckWav(
        [f](uint64_t offset, void* out, size_t size) -> size_t {
            if (::fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0) {
                return 0;
            }
            return std::fread(out, 1, size, f);
        },
        static_cast<uint64_t>(st.st_size));
}

}  // namespace tamberline
