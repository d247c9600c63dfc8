#include "session/session.h"

#include "base/message_box.h"
#include "session/registry.h"
#include "session/session_file.h"
#include "session/session_host.h"
#include "session/session_paths.h"

namespace tamberline {

// Resumes unsaved work: the records and undo steps of the working copy.
// False (nothing changed) when it cannot be read whole.
bool Session::RestoreWorkingCopy(const std::string& path) {
    auto records = std::make_unique<RecordArray>();
    std::vector<uint8_t> journal;
    if (!ReadWorkingCopy(WorkingCopyPath(path), *records, journal)) {
        return false;
    }
    records_ = std::move(records);
    journal_.Assign(journal);
    sessionPath_ = path;
    sessionUntitled_ = false;
    sessionFileTime_ = ReadFileStamp(path);
    StartWatcher();
    return true;
}

// Resumes the unsaved work of an untitled session the program lost, unless
// the untitled file has been saved since.
bool Session::RestoreUntitledWork() {
    std::string path;
    if (!services_.registry.GetString(settings::kUntitledWork, path) || FileExists(path)) {
        return false;
    }
    const std::string workingCopy = WorkingCopyPath(path);
    if (!FileExists(workingCopy)) {
        return false;
    }
    auto records = std::make_unique<RecordArray>();
    std::vector<uint8_t> journal;
    if (!ReadWorkingCopy(workingCopy, *records, journal)) {
        RemoveFile(workingCopy);
        return false;
    }
    StopWatcher();
    records_ = std::move(records);
    journal_.Assign(journal);
    sessionPath_ = path;
    sessionUntitled_ = true;
    untitledWorkNoted_ = path;
    sessionFileTime_.reset();
    services_.host.UpdateTitle();
    return true;
}

void Session::RestoreAtStartup(const std::string& commandLinePath) {
    const std::string named = WithoutQuotes(commandLinePath);
    std::string taken;
    if (!named.empty()) {
        if (const std::optional<int64_t> size = FileSize(named)) {
            if (*size == static_cast<int64_t>(kSessionFileSize)) {
                taken = named;
            } else {
                ShowMessage("Unable to load session\n" + named, mb::kOk | mb::kIconStop,
                            BoxPlacement::Centred());
            }
        }
    }
    const std::string missingLast = recent_.Rebuild(taken);
    services_.host.RecentListChanged();

    const std::string session = recent_.Entry(0);
    bool loaded = false;
    bool fromWorkingCopy = false;
    if (!session.empty()) {
        const std::string workingCopy = WorkingCopyPath(session);
        if (!IsWorkingCopyName(session) && FileExists(workingCopy)) {
            fromWorkingCopy = RestoreWorkingCopy(session);
            if (!fromWorkingCopy) {
                RemoveFile(workingCopy);
                journal_.Clear();
            }
        }
        loaded = fromWorkingCopy || LoadSession(session);
    }
    if (!loaded) {
        NewSession(false);
    }
    // Work on an untitled session is newer than a titled session without
    // unsaved changes; a session asked for on the command line wins.
    if (!fromWorkingCopy && taken.empty() && RestoreUntitledWork()) {
        fromWorkingCopy = true;
    }
    RefreshModifiedMark();
    NormaliseAfterLoad(fromWorkingCopy);
    if (!missingLast.empty()) {
        ShowMessage("Unable to find last session\n" + missingLast, mb::kSorry | mb::kIconStop,
                    BoxPlacement::Centred());
    }
}

}  // namespace tamberline
