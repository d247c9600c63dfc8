#include "playback/graph/output_test_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>

namespace tamberline {
namespace {

constexpr uint32_t kDataBytes = 0x6EC;  // 443 frames of 4 bytes

void Put(uint8_t*& at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        *at++ = static_cast<uint8_t>(value >> (8 * i));
    }
}

void PutTag(uint8_t*& at, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) {
        *at++ = static_cast<uint8_t>(tag[i]);
    }
}

}  // namespace

std::string OutputTestFilePath(const std::string& folder) {
    return folder + "/tamberlinetest-" + std::to_string(getpid()) + ".wav";
}

bool WriteOutputTestFile(const std::string& path) {
    std::array<uint8_t, kOutputTestFileSize> bytes{};
    uint8_t* at = bytes.data();
    PutTag(at, "RIFF");
    Put(at, kOutputTestFileSize - 8, 4);  // 0x710
    PutTag(at, "WAVE");
    PutTag(at, "fmt ");
    Put(at, 16, 4);
    Put(at, 1, 2);  // PCM
    Put(at, 2, 2);
    Put(at, 44100, 4);
    Put(at, 176400, 4);
    Put(at, 4, 2);
    Put(at, 16, 2);
    PutTag(at, "data");
    Put(at, kDataBytes, 4);  // the samples stay zero

    // The temporary folder is shared: whatever stands under this name is
    // removed (a link itself, never its target), and the file is created
    // afresh or not at all.
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = write(fd, bytes.data(), bytes.size()) == kOutputTestFileSize;
    const bool closed = close(fd) == 0;
    if (!written || !closed) {
        unlink(path.c_str());
        return false;
    }
    return true;
}

}  // namespace tamberline
