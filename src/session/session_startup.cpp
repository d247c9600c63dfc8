#include "session/session.h"

#include "app/message_box.h"
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
        if (FileExists(workingCopy)) {
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
    RefreshModifiedMark();
    NormaliseAfterLoad(fromWorkingCopy);
    if (!missingLast.empty()) {
        ShowMessage("Unable to find last session\n" + missingLast, mb::kSorry | mb::kIconStop,
                    BoxPlacement::Centred());
    }
}

}  // namespace tamberline
