#include "songlist/playlist_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "songlist/playlist_reader.h"
#include "songlist/playlist_text.h"

namespace tamberline {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

// A new file beside `destination` that no one else uses; created like any
// new file, so the umask gives its permissions.
int CreateBeside(const std::string& destination, std::string& temporary) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = destination + ".tmp" + std::to_string(::getpid()) + "-" +
                    std::to_string(serial.fetch_add(1));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Writes `bytes` with the given access and modification times, then puts
// the file in place of `destination` in one step.
bool ReplaceFile(const std::string& destination, const std::string& bytes,
                 const struct stat& times) {
    std::string temporary;
    const int fd = CreateBeside(destination, temporary);
    if (fd < 0) {
        return false;
    }
    const struct timespec stamps[2] = {times.st_atim, times.st_mtim};
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0 && ::futimens(fd, stamps) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), destination.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

}  // namespace

int64_t CopyPlaylistRewritten(const std::string& source, const std::string& destination,
                              const std::vector<std::string>& newPaths) {
    // The times are taken before reading, which may itself touch the access
    // time.
    struct stat sourceStat {};
    if (::stat(source.c_str(), &sourceStat) != 0) {
        return 0;
    }
    std::string bytes;
    std::vector<PlaylistEntry> entries;
    std::string copy;
    if (!ReadPlaylistFile(source, bytes, entries) ||
        !RewritePlaylistText(PlaylistKindOf(source), bytes, entries, newPaths, copy) ||
        !ReplaceFile(destination, copy, sourceStat)) {
        return 0;
    }
    struct stat written {};
    return ::stat(destination.c_str(), &written) == 0 ? static_cast<int64_t>(written.st_size) : 0;
}

}  // namespace tamberline
