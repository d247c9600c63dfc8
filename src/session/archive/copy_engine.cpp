#include "session/archive/copy_engine.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/path_parts.h"
#include "session/archive/copy_control.h"
#include "session/archive/copy_one_file.h"
#include "session/disk_file.h"
#include "session/session_file.h"
#include "songlist/playlist_copy.h"

namespace tamberline {

namespace {

// A report names this many files and counts the rest.
constexpr size_t kReportedFiles = 12;

CopyOutcome Failed(const std::string& path, int error) {
    CopyOutcome outcome;
    outcome.kind = CopyOutcome::Kind::kFailed;
    outcome.failure = SystemErrorReport(path, error);
    return outcome;
}

CopyOutcome Cancelled() {
    CopyOutcome outcome;
    outcome.kind = CopyOutcome::Kind::kCancelled;
    return outcome;
}

int FilesToCopy(const SessionCopy& copy) {
    int count = 1;  // the session or archive file
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        count += copy.jobs[i].copyNeeded ? 1 : 0;
    }
    return count;
}

// Writes a songlist afresh with each entry naming its copy (an entry
// without a job keeps its text).
bool WriteSonglist(const SessionCopy& copy, const CopyJob& list, int64_t& size, int& error) {
    std::vector<std::string> texts = list.entries;
    for (size_t i = 0; i < texts.size() && i < list.entryJobs.size(); ++i) {
        if (list.entryJobs[i] >= 0) {
            texts[i] = copy.EntryText(copy.jobs[static_cast<size_t>(list.entryJobs[i])]);
        }
    }
    if (const int folderError = CreateFolders(FolderPart(list.destination))) {
        error = folderError;
        return false;
    }
    errno = 0;
    size = CopyPlaylistRewritten(list.source, list.destination, texts);
    error = errno != 0 ? errno : EIO;
    return size > 0;
}

}  // namespace

CopyOutcome RunSessionCopy(SessionCopy& copy, CopyControl& control) {
    CopyOutcome outcome;
    outcome.skipped = copy.unusable;
    const int count = FilesToCopy(copy);
    int number = 0;
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        const CopyJob& job = copy.jobs[i];
        if (!job.copyNeeded) {
            continue;
        }
        if (control.Cancelled()) {
            return Cancelled();
        }
        control.StartFile(++number, count, FileNamePart(job.destination));
        if (!job.sourceFound) {
            outcome.skipped.push_back({job.source, ENOENT});
            continue;
        }
        if (job.isSonglist) {
            continue;  // written once its entries are copied
        }
        const CopyFileResult result = CopyOneFile(job.source, job.destination, control);
        switch (result.kind) {
            case CopyFileResult::Kind::kCopied: control.FileCompleted(); break;
            case CopyFileResult::Kind::kSourceFailed:
                outcome.skipped.push_back({job.source, result.error});
                break;
            case CopyFileResult::Kind::kCancelled: return Cancelled();
            case CopyFileResult::Kind::kWriteFailed: return Failed(result.path, result.error);
        }
    }
    if (control.Cancelled()) {
        return Cancelled();
    }
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        const CopyJob& job = copy.jobs[i];
        if (!job.isSonglist || !job.copyNeeded || !job.sourceFound) {
            continue;
        }
        int64_t size = 0;
        int error = 0;
        if (!WriteSonglist(copy, job, size, error)) {
            if (!FileExists(job.source)) {
                outcome.skipped.push_back({job.source, ENOENT});
                continue;
            }
            return Failed(job.destination, error);
        }
        (*copy.records)[static_cast<size_t>(job.button)].fileSize =
            static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX));
        control.FileCompleted();
    }
    // Every record names its copy (entries are named inside their songlist);
    // a songlist another button had written already has that copy's size.
    for (size_t i = 1; i < copy.jobs.size(); ++i) {
        const CopyJob& job = copy.jobs[i];
        if (job.songlist >= 0) {
            continue;
        }
        ButtonRecord& record = (*copy.records)[static_cast<size_t>(job.button)];
        SetPath(record, copy.StoredPath(job));
        if (job.isSonglist && !job.copyNeeded) {
            if (const std::optional<int64_t> size = FileSize(job.destination)) {
                record.fileSize = static_cast<int32_t>(std::min<int64_t>(*size, INT32_MAX));
            }
        }
    }
    if (control.Cancelled()) {
        return Cancelled();
    }
    control.StartFile(count, count, FileNamePart(copy.destination));
    if (const int error = WriteSessionFile(copy.destination, *copy.records)) {
        return Failed(copy.destination, error);
    }
    control.SetFileProgress(1, 1);
    control.FileCompleted();
    return outcome;
}

CopyOutcome RunFileCopies(const std::vector<std::pair<std::string, std::string>>& files,
                          CopyControl& control) {
    CopyOutcome outcome;
    const int count = static_cast<int>(files.size());
    for (int i = 0; i < count; ++i) {
        const auto& [source, destination] = files[static_cast<size_t>(i)];
        if (control.Cancelled()) {
            return Cancelled();
        }
        control.StartFile(i + 1, count, FileNamePart(source));
        const CopyFileResult result = CopyOneFile(source, destination, control);
        switch (result.kind) {
            case CopyFileResult::Kind::kCopied: control.FileCompleted(); break;
            case CopyFileResult::Kind::kSourceFailed:
                outcome.skipped.push_back({source, result.error});
                break;
            case CopyFileResult::Kind::kCancelled: return Cancelled();
            case CopyFileResult::Kind::kWriteFailed: return Failed(result.path, result.error);
        }
    }
    return outcome;
}

std::string SkippedFilesReport(const std::vector<SkippedFile>& skipped) {
    std::string text = "These files were not copied:\n";
    for (size_t i = 0; i < skipped.size() && i < kReportedFiles; ++i) {
        text += "\n" + skipped[i].path + "\n    " + std::strerror(skipped[i].error);
    }
    if (skipped.size() > kReportedFiles) {
        text += "\n\nand " + std::to_string(skipped.size() - kReportedFiles) + " more.";
    }
    return text;
}

}  // namespace tamberline
