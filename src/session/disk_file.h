#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tamberline {

// What tells one version of a file from another: its last-write time to the
// nanosecond and the file itself (an atomic replacement is a new inode, so
// even a save within the file system's time resolution is seen).
struct FileStamp {
    int64_t lastWriteNs = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> ReadFileStamp(const std::string& path);
bool FileExists(const std::string& path);
std::optional<int64_t> FileSize(const std::string& path);
// Nobody may write it (the stand-in for the read-only attribute; root's
// right to write anyway does not count).
bool IsReadOnlyFile(const std::string& path);
bool RemoveFile(const std::string& path);

// Reads the whole file, at most maxBytes (more is an error, EFBIG).
// Returns 0 or the system's error code.
int ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                  FileStamp* stamp = nullptr);

// Replaces the file by `bytes` all at once: a temporary file beside it is
// written, flushed to disk and renamed over it, so a crash or a full disk
// leaves the old content or the new one, never a mix. The file keeps its
// permissions. A read-only file is refused (EACCES) unless evenIfReadOnly.
// Returns 0 or the system's error code.
int ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                          bool evenIfReadOnly = false);

// The system-error report: the path, a blank line, the system's text.
std::string SystemErrorReport(const std::string& path, int error);

}  // namespace tamberline
