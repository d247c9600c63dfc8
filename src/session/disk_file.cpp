#include "session/disk_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/file_descriptor.h"

namespace tamberline {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

FileStamp StampOf(const struct stat& st) {
    return {static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A symbolic link is kept and the file it names replaced.
std::string ResolvedTarget(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

// A fresh file "<base>.<pid>.<n>"; a name left by a killed process of the
// same number is skipped.
int CreateTempBeside(const std::string& base, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 1000; ++attempt) {
        temp = base + "." + std::to_string(::getpid()) + "." + std::to_string(counter++);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::optional<FileStamp> ReadFileStamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return StampOf(st);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

std::optional<int64_t> FileSize(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(st.st_size);
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    return (st.st_mode & kWriteBits) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

int ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                  FileStamp* stamp) {
    bytes.clear();
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return errno;
    }
    if (!S_ISREG(st.st_mode)) {
        return EISDIR;
    }
    if (static_cast<uint64_t>(st.st_size) > maxBytes) {
        return EFBIG;
    }
    if (stamp != nullptr) {
        *stamp = StampOf(st);
    }
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            break;  // the file shrank while we read it: the caller sees a short read
        }
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return 0;
}

int ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                          bool evenIfReadOnly) {
    const std::string target = ResolvedTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        return EISDIR;
    }
    if (exists && !evenIfReadOnly && IsReadOnlyFile(target)) {
        return EACCES;
    }
    const std::string folder = FolderOf(target);
    std::string temp;
    FileDescriptor fd(CreateTempBeside(folder + "/." + NameOf(target), temp));
    if (fd.get() < 0) {
        return errno;
    }
    // A new file gets the usual permissions (the umask applied by open).
    const std::optional<mode_t> mode =
        exists ? std::optional<mode_t>(old.st_mode & 07777) : std::nullopt;
    int error = WriteAll(fd.get(), bytes.data(), bytes.size());
    if (error == 0 && mode && ::fchmod(fd.get(), *mode) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(fd.get()) != 0) {
        error = errno;
    }
    const int closeError = fd.Close();
    if (error == 0) {
        error = closeError;
    }
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    SyncFolder(folder);
    return 0;
}

std::string SystemErrorReport(const std::string& path, int error) {
    return path + "\n\n" + std::strerror(error);
}

}  // namespace tamberline
