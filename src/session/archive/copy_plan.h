#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

// The four ways the copy engine runs.
enum class CopyMode { kReadArchive = 1, kWriteArchive = 2, kCloneSession = 3, kDroppedFiles = 4 };

// The caption of the progress dialog: "Read Archive.", "Write Archive.",
// "Clone Session." or "Copy %d files.".
std::string CopyCaption(CopyMode mode, size_t files = 0);

// One file to copy.
struct CopyJob {
    std::string source;
    std::string destination;
    std::string relativeFolder;  // Write Archive: the folder stored before the copy's name
    int button = -1;             // -1: the session or archive file itself
    int songlist = -1;           // an entry of a songlist: that songlist's job
    bool copyNeeded = true;
    bool isSonglist = false;  // written afresh, its entries naming their copies
    bool sourceFound = false;
    int64_t size = 0;
    uint32_t stamp = 0;  // last-write time, seconds, as a 32-bit number
    // A songlist: each entry as it stands, and the job that copies it (-1: none).
    std::vector<std::string> entries;
    std::vector<int> entryJobs;
};

// A file the run could not copy, and why.
struct SkippedFile {
    std::string path;
    int error = 0;
};

// A whole session (or archive) with its samples, ready to copy.
struct SessionCopy {
    CopyMode mode = CopyMode::kWriteArchive;
    std::string destination;  // the new session or archive file
    std::unique_ptr<RecordArray> records;
    std::vector<CopyJob> jobs;          // jobs[0]: the session or archive file
    std::vector<SkippedFile> unusable;  // Read Archive: records that name no file

    // The bytes still to copy, the session or archive file included.
    uint64_t BytesToCopy() const;
    // The path a record takes, or a songlist entry names, for a job.
    std::string StoredPath(const CopyJob& job) const;
    std::string EntryText(const CopyJob& job) const;
};

// Plans Read Archive (source: the archive, destination: the new session),
// Write Archive (the session, the archive) or Clone Session (the session,
// the clone): reads the source, makes a job per sample and songlist entry,
// settles clashes with files already there and between jobs, and checks
// that every path a record will hold fits and that the destination has
// room. Returns the message to show when the run cannot go on, else empty.
std::string PlanSessionCopy(CopyMode mode, const std::string& source,
                            const std::string& destination, bool preserveFolders,
                            SessionCopy& copy);

// Free bytes of the file system holding `path` (or its nearest existing
// folder); nothing when it cannot be told.
std::optional<uint64_t> FreeBytesAt(const std::string& path);

// Size and last-write time of a file, when it is a regular file.
struct FileFacts {
    int64_t size = 0;
    uint32_t stamp = 0;
    int64_t mtime = 0;  // seconds
};
std::optional<FileFacts> FactsOf(const std::string& path);

}  // namespace tamberline
