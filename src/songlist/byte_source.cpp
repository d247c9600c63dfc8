#include "songlist/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tamberline {
namespace {

// Opens a regular file for reading. O_NONBLOCK keeps a FIFO or device that
// happens to carry a playlist's name from blocking the open.
int OpenRegularFile(const std::string& path, uint64_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

bool PreadFully(int fd, uint64_t offset, char* out, size_t length) {
    while (length > 0) {
        const ssize_t got = ::pread(fd, out, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        out += got;
        length -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    uint64_t size = 0;
    const int fd = OpenRegularFile(path, size);
    if (fd < 0) {
        return false;
    }
    bool ok = size <= maxBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = PreadFully(fd, 0, bytes.data(), bytes.size());
    }
    ::close(fd);
    if (!ok) {
        bytes.clear();
    }
    return ok;
}

FileByteSource::FileByteSource(const std::string& path) {
    fd_ = OpenRegularFile(path, size_);
}

FileByteSource::~FileByteSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool FileByteSource::ReadAt(uint64_t offset, void* out, size_t length) const {
    if (fd_ < 0 || offset > size_ || length > size_ - offset) {
        return false;
    }
    return PreadFully(fd_, offset, static_cast<char*>(out), length);
}

bool MemoryByteSource::ReadAt(uint64_t offset, void* out, size_t length) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset) {
        return false;
    }
    if (length > 0) {
        std::memcpy(out, bytes_.data() + offset, length);
    }
    return true;
}

}  // namespace tamberline
