#include "session/session_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tamberline {

namespace {

// Fills `bytes` from `offset`; false on an error or a file that ends early.
bool ReadAt(int fd, size_t offset, std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

SessionReadResult ReadSessionFile(const std::string& path, RecordArray& records, FileStamp& stamp,
                                  int& systemError) {
    systemError = 0;
    std::vector<uint8_t> bytes;
    const int error = ReadWholeFile(path, kSessionFileSize, bytes, &stamp);
    if (error == EFBIG) {
        return SessionReadResult::kWrongSize;
    }
    if (error != 0) {
        systemError = error;
        return SessionReadResult::kOpenFailed;
    }
    if (bytes.size() != kSessionFileSize) {
        return SessionReadResult::kShortRead;
    }
    DecodeSession(std::span<const uint8_t, kSessionFileSize>(bytes.data(), kSessionFileSize),
                  records);
    return SessionReadResult::kOk;
}

int WriteSessionFile(const std::string& path, const RecordArray& records, bool evenIfReadOnly) {
    return ReplaceFileAtomically(path, EncodeSession(records), evenIfReadOnly);
}

bool ReadWorkingCopy(const std::string& path, RecordArray& records, std::vector<uint8_t>& journal) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    std::vector<uint8_t> head(kSessionFileSize);
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<uint64_t>(st.st_size) >= kSessionFileSize && ReadAt(fd, 0, head);
    // Whole entries only; beyond the limit, the newest that fit.
    const size_t entries =
        ok ? (static_cast<size_t>(st.st_size) - kSessionFileSize) / kUndoEntrySize : 0;
    const size_t kept = std::min(entries, kMaxJournalBytes / kUndoEntrySize);
    std::vector<uint8_t> tail(kept * kUndoEntrySize);
    ok = ok && ReadAt(fd, kSessionFileSize + (entries - kept) * kUndoEntrySize, tail);
    ::close(fd);
    if (!ok) {
        return false;
    }
    DecodeSession(std::span<const uint8_t, kSessionFileSize>(head.data(), kSessionFileSize),
                  records);
    // A journal cut to fit may begin inside a step: it begins at the oldest
    // whole one.
    const size_t start = kept < entries ? StartOfWholeSteps(tail) : 0;
    journal.assign(tail.begin() + static_cast<std::ptrdiff_t>(start), tail.end());
    return true;
}

int WriteWorkingCopyFile(const std::string& path, const RecordArray& records,
                         const std::vector<uint8_t>& journal) {
    std::vector<uint8_t> bytes = EncodeSession(records);
    bytes.insert(bytes.end(), journal.begin(), journal.end());
    return ReplaceFileAtomically(path, bytes);
}

}  // namespace tamberline
