#include "session/archive/copy_plan.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>

#include "base/path_compare.h"
#include "base/path_parts.h"
#include "files/dialog_rules.h"
#include "session/archive/archive_paths.h"
#include "session/disk_file.h"
#include "session/session_file.h"
#include "songlist/playlist_reader.h"

namespace tamberline {

namespace {

// A name that keeps clashing after this many tries is given up on.
constexpr int kClashRounds = 100;

std::string SourceRefusal(CopyMode mode, const std::string& path, SessionReadResult result,
                          int error) {
    if (mode == CopyMode::kReadArchive) {
        return path + "\n\nArchive file is not valid.\n";
    }
    switch (result) {
        case SessionReadResult::kOpenFailed:
            return error == ENOENT ? "Cannot find session file:\n" + path
                                   : SystemErrorReport(path, error);
        case SessionReadResult::kWrongSize: return "Invalid Session file.";
        default: return "Failed to read session file.";
    }
}

bool SameFileOnDisk(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The jobs of one mode: where each source goes.
class Planner {
public:
    Planner(CopyMode mode, const std::string& source, const std::string& destination, bool preserve)
        : mode_(mode),
          sourceFolder_(FolderPart(source)),
          targetFolder_(FolderPart(destination)),
          preserve_(preserve) {}

    void AddButton(int button, ButtonRecord& record, SessionCopy& copy) {
        const std::string path(PathOf(record));
        CopyJob job;
        job.button = button;
        if (mode_ == CopyMode::kReadArchive) {
            const std::string name = FileNamePart(path);
            if (!IsUsableFileName(name)) {
                copy.unusable.push_back({path, ENOENT});
                record = ButtonRecord{};
                return;
            }
            job.source = sourceFolder_ + name;
            const std::string relative = preserve_ ? SafeRelativePath(path) : std::string();
            job.destination = targetFolder_ + (relative.empty() ? name : relative);
        } else {
            Place(path, job);
        }
        job.isSonglist = IsPlaylistFile(path);
        const size_t index = copy.jobs.size();
        copy.jobs.push_back(job);
        if (job.isSonglist) {
            AddEntries(index, copy);
        }
    }

private:
    // Write Archive: flat in the archive, the relative folder kept for the
    // record. Clone: under the clone's folder, keeping the sample's folder
    // below the session's when asked to.
    void Place(const std::string& path, CopyJob& job) const {
        job.source = path;
        const std::string relative = RelativeInside(sourceFolder_, path);
        const std::string name = FileNamePart(path);
        if (mode_ == CopyMode::kWriteArchive) {
            job.relativeFolder = FolderPart(relative);
            job.destination = targetFolder_ + name;
        } else {
            job.destination = targetFolder_ + (preserve_ && !relative.empty() ? relative : name);
        }
    }

    void AddEntries(size_t songlist, SessionCopy& copy) {
        CopyJob& list = copy.jobs[songlist];
        // An archive's songlists name their files beside them, however the
        // system that wrote them spelled the path.
        const bool fromArchive = mode_ == CopyMode::kReadArchive;
        std::vector<std::string> resolved;
        ReadPlaylist(list.source, list.entries, false);
        ReadPlaylist(list.source, resolved, !fromArchive);
        std::vector<CopyJob> entries;
        for (size_t i = 0; i < list.entries.size(); ++i) {
            CopyJob entry;
            entry.songlist = static_cast<int>(songlist);
            entry.button = list.button;
            const std::string name = FileNamePart(list.entries[i]);
            if (fromArchive && IsUsableFileName(name)) {
                entry.source = sourceFolder_ + name;
                entry.destination = targetFolder_ + name;
            } else if (!fromArchive && i < resolved.size() && !resolved[i].empty()) {
                Place(resolved[i], entry);
            } else {
                list.entryJobs.push_back(-1);
                continue;
            }
            list.entryJobs.push_back(static_cast<int>(copy.jobs.size() + entries.size()));
            entries.push_back(entry);
        }
        for (CopyJob& entry : entries) {
            copy.jobs.push_back(std::move(entry));
        }
    }

    CopyMode mode_;
    std::string sourceFolder_;
    std::string targetFolder_;
    bool preserve_;
};

// The same file when the time stamps agree; a sample must have the same
// size as well (a songlist's copy is rewritten, so its size differs). A
// source that is not there is the same as nothing, so its record never
// comes to name another file.
bool SameVersion(const CopyJob& job, const FileFacts& other) {
    return job.sourceFound && job.stamp == other.stamp &&
           (job.isSonglist || job.size == other.size);
}

// Settles where each job goes: a file already there that is the same
// version needs no copy, another one gives the copy a " %X" name; two jobs
// that would meet at one name are settled the same way, the later giving
// way.
void SettleClashes(SessionCopy& copy) {
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        CopyJob& job = copy.jobs[i];
        // Two buttons (or an entry) playing one file share its copy.
        for (size_t j = 1; j < i && job.copyNeeded; ++j) {
            if (copy.jobs[j].source == job.source && copy.jobs[j].isSonglist == job.isSonglist) {
                job.copyNeeded = false;
                job.destination = copy.jobs[j].destination;
            }
        }
        if (!job.copyNeeded) {
            continue;
        }
        const std::string wanted = job.destination;
        for (int round = 1; round <= kClashRounds; ++round) {
            bool clash = false;
            for (size_t j = 1; j < i && !clash; ++j) {
                const CopyJob& earlier = copy.jobs[j];
                if (!SamePathIgnoringCase(earlier.destination, job.destination)) {
                    continue;
                }
                if (earlier.source == job.source ||
                    (earlier.sourceFound && SameVersion(job, {earlier.size, earlier.stamp, 0}))) {
                    job.copyNeeded = false;
                    job.destination = earlier.destination;
                    break;
                }
                clash = true;
            }
            if (!job.copyNeeded) {
                break;
            }
            if (!clash) {
                if (const std::optional<FileFacts> there = FactsOf(job.destination)) {
                    if (SameVersion(job, *there)) {
                        // A songlist's copy is written afresh over its own
                        // earlier copy.
                        job.copyNeeded = job.isSonglist;
                        break;
                    }
                    clash = true;
                } else if (FileExists(job.destination)) {
                    clash = true;  // a folder or device by that name
                }
            }
            if (!clash) {
                break;
            }
            job.destination = ClashName(wanted, job.stamp, round);
        }
    }
}

}  // namespace

std::string CopyCaption(CopyMode mode, size_t files) {
    switch (mode) {
        case CopyMode::kReadArchive: return "Read Archive.";
        case CopyMode::kWriteArchive: return "Write Archive.";
        case CopyMode::kCloneSession: return "Clone Session.";
        case CopyMode::kDroppedFiles: return "Copy " + std::to_string(files) + " files.";
    }
    return {};
}

uint64_t SessionCopy::BytesToCopy() const {
    uint64_t bytes = kSessionFileSize;
    for (size_t i = 1; i < jobs.size(); ++i) {
        if (jobs[i].copyNeeded && jobs[i].sourceFound) {
            bytes += static_cast<uint64_t>(jobs[i].size);
        }
    }
    return bytes;
}

std::string SessionCopy::StoredPath(const CopyJob& job) const {
    if (mode == CopyMode::kWriteArchive) {
        return ArchiveStoredPath(job.relativeFolder, FileNamePart(job.destination));
    }
    return job.destination;
}

std::string SessionCopy::EntryText(const CopyJob& job) const {
    // An archive's songlist names its files beside it, so it travels.
    return mode == CopyMode::kWriteArchive ? FileNamePart(job.destination) : job.destination;
}

std::optional<FileFacts> FactsOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return FileFacts{static_cast<int64_t>(st.st_size), static_cast<uint32_t>(st.st_mtim.tv_sec),
                     static_cast<int64_t>(st.st_mtim.tv_sec)};
}

std::optional<uint64_t> FreeBytesAt(const std::string& path) {
    std::string folder = path;
    for (;;) {
        struct statvfs fs {};
        if (!folder.empty() && ::statvfs(folder.c_str(), &fs) == 0) {
            return static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
        }
        if (folder.empty() || folder == "/") {
            return std::nullopt;
        }
        while (!folder.empty() && folder.back() == '/') {
            folder.pop_back();
        }
        folder = FolderPart(folder);
        if (folder.empty()) {
            folder = ".";
        } else if (folder == ".") {
            return std::nullopt;
        }
    }
}

std::string PlanSessionCopy(CopyMode mode, const std::string& source,
                            const std::string& destination, bool preserveFolders,
                            SessionCopy& copy) {
    if (mode != CopyMode::kReadArchive &&
        (SamePathIgnoringCase(source, destination) || SameFileOnDisk(source, destination))) {
        return "Cannot clone a session to itself.";
    }
    copy.mode = mode;
    copy.destination = destination;
    copy.records = std::make_unique<RecordArray>();
    copy.jobs.clear();
    copy.unusable.clear();
    FileStamp stamp;
    int error = 0;
    const SessionReadResult read = ReadSessionFile(source, *copy.records, stamp, error);
    if (read != SessionReadResult::kOk) {
        return SourceRefusal(mode, source, read, error);
    }
    CopyJob session;
    session.source = source;
    session.destination = destination;
    copy.jobs.push_back(session);
    Planner planner(mode, source, destination, preserveFolders);
    for (int button = 0; button < kButtonCount; ++button) {
        ButtonRecord& record = (*copy.records)[static_cast<size_t>(button)];
        if (IsAssigned(record)) {
            planner.AddButton(button, record, copy);
        }
    }
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        CopyJob& job = copy.jobs[i];
        if (const std::optional<FileFacts> facts = FactsOf(job.source)) {
            job.sourceFound = true;
            job.size = facts->size;
            job.stamp = facts->stamp;
        }
    }
    SettleClashes(copy);
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        const CopyJob& job = copy.jobs[i];
        if (job.songlist < 0 && IsTooLongForPathField(copy.StoredPath(job))) {
            return TooLongMessage(copy.StoredPath(job));
        }
    }
    const std::optional<uint64_t> free = FreeBytesAt(FolderPart(destination));
    if (free && *free < copy.BytesToCopy()) {
        return mode == CopyMode::kCloneSession ? "Insufficient space for clone."
                                               : "Insufficient space for archive.";
    }
    return {};
}

}  // namespace tamberline
