#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace tamberline {

// Where a sound's bytes come from: pread on the open file. A test or a
// benchmark stands in a slow or failing disk here.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Like pread: bytes read, 0 at the end, -1 on an error.
    virtual ssize_t ReadAt(int fd, void* out, size_t count, int64_t offset) = 0;
};

class PosixFileReader final : public FileReader {
public:
    ssize_t ReadAt(int fd, void* out, size_t count, int64_t offset) override;
};

}  // namespace tamberline
