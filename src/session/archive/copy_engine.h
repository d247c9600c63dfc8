#pragma once

#include <string>
#include <utility>
#include <vector>

#include "session/archive/copy_plan.h"

namespace tamberline {

class CopyControl;

// How a run ended. A run that copied what it could still lists the files
// it had to leave out; the session or archive is written only by a run
// that was neither cancelled nor failed.
struct CopyOutcome {
    enum class Kind { kDone, kCancelled, kFailed };
    Kind kind = Kind::kDone;
    std::string failure;  // kFailed: the message (the system error for the path)
    std::vector<SkippedFile> skipped;

    bool Done() const { return kind == Kind::kDone; }
};

// Runs a planned session copy on the calling thread (a worker): copies
// every job that needs it, then writes each songlist afresh naming the
// copies, and finally the session or archive file with every record
// pointing at its copy. A source that cannot be opened is left out and
// listed; a destination that cannot be written (a full disk) ends the run
// as failed. A cancel or failure writes no session or archive.
CopyOutcome RunSessionCopy(SessionCopy& copy, CopyControl& control);

// Copies each (source, destination) pair, calling control.FileCompleted()
// after each file copied.
CopyOutcome RunFileCopies(const std::vector<std::pair<std::string, std::string>>& files,
                          CopyControl& control);

// The files left out, for the operator: one line each with the reason.
std::string SkippedFilesReport(const std::vector<SkippedFile>& skipped);

}  // namespace tamberline
