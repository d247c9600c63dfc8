#include "session/archive/copy_one_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <vector>

#include "base/file_descriptor.h"
#include "base/path_parts.h"
#include "session/archive/copy_control.h"

namespace tamberline {

namespace {

int CreateTemporary(const std::string& destination, std::string& temporary) {
    static std::atomic<unsigned> serial{0};
    const std::string base = FolderPart(destination) + "." + FileNamePart(destination);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        temporary = base + "." + std::to_string(::getpid()) + "." +
                    std::to_string(serial.fetch_add(1)) + ".part";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Where the copy ended: the error and on which side.
struct Transfer {
    int error = 0;
    bool readSide = false;
    bool cancelled = false;
};

// The kernel copies without bringing the bytes up here, as cp does; a file
// system that cannot (or another device) falls back to read and write.
Transfer Move(int in, int out, uint64_t total, CopyControl& control) {
    const size_t block = control.blockBytes();
    uint64_t done = 0;
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        ssize_t n = 0;
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, block, 0);
            if (n < 0 && done == 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                 errno == EPERM)) {
                kernelCopy = false;
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                // The kernel does not tell which side failed; a full disk is
                // the likely one.
                return {errno, false, false};
            }
        } else {
            buffer.resize(block);
            n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                return {errno, true, false};
            }
            if (const int error = WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
                return {error, false, false};
            }
        }
        if (n == 0) {
            return {};
        }
        // Start the write-back now, so the final flush is short and the
        // page cache never fills with a whole show's samples.
        ::sync_file_range(out, static_cast<off_t>(done), n, SYNC_FILE_RANGE_WRITE);
        done += static_cast<uint64_t>(n);
        control.SetFileProgress(done, total);
        if (control.Cancelled()) {
            return {0, false, true};
        }
    }
}

}  // namespace

int CreateFolders(const std::string& folder) {
    std::string path;
    for (size_t i = 0; i < folder.size(); ++i) {
        path += folder[i];
        if (folder[i] != '/' || path.size() == 1) {
            continue;
        }
        if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
            return errno;
        }
    }
    struct stat st {};
    if (!folder.empty() && ::stat(folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        return ENOTDIR;
    }
    return 0;
}

CopyFileResult CopyOneFile(const std::string& source, const std::string& destination,
                           CopyControl& control) {
    using Kind = CopyFileResult::Kind;
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        return {Kind::kSourceFailed, errno, source};
    }
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) {
        return {Kind::kSourceFailed, errno, source};
    }
    if (!S_ISREG(st.st_mode)) {
        return {Kind::kSourceFailed, EISDIR, source};
    }
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    if (const int error = CreateFolders(FolderPart(destination))) {
        return {Kind::kWriteFailed, error, destination};
    }
    std::string temporary;
    FileDescriptor out(CreateTemporary(destination, temporary));
    if (out.get() < 0) {
        return {Kind::kWriteFailed, errno, destination};
    }
    control.SetFileProgress(0, static_cast<uint64_t>(st.st_size));
    const Transfer transfer = Move(in.get(), out.get(), static_cast<uint64_t>(st.st_size), control);
    int error = transfer.error;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (!transfer.cancelled && error == 0 && ::fchmod(out.get(), st.st_mode & 0777) != 0) {
        error = errno;
    }
    if (!transfer.cancelled && error == 0 && ::futimens(out.get(), times) != 0) {
        error = errno;
    }
    if (!transfer.cancelled && error == 0 && ::fdatasync(out.get()) != 0) {
        error = errno;
    }
    const int closeError = out.Close();
    if (error == 0) {
        error = closeError;
    }
    if (!transfer.cancelled && error == 0 &&
        ::rename(temporary.c_str(), destination.c_str()) != 0) {
        error = errno;
    }
    if (transfer.cancelled || error != 0) {
        ::unlink(temporary.c_str());
    }
    if (transfer.cancelled) {
        return {Kind::kCancelled, 0, destination};
    }
    if (error != 0) {
        return transfer.readSide ? CopyFileResult{Kind::kSourceFailed, error, source}
                                 : CopyFileResult{Kind::kWriteFailed, error, destination};
    }
    return {Kind::kCopied, 0, destination};
}

}  // namespace tamberline
