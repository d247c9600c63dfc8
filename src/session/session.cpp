#include "session/session.h"

#include <cctype>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "session/registry.h"
#include "session/session_file.h"
#include "session/session_folder_watcher.h"
#include "session/session_host.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

constexpr int kModalRetryMs = 200;

bool IsSonglistPath(std::string_view path) {
    if (path.size() < 4) {
        return false;
    }
    std::string extension(path.substr(path.size() - 4));
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".m3u";
}

}  // namespace

Session::Session(const SessionServices& services)
    : services_(services),
      records_(std::make_unique<RecordArray>()),
      recent_(services.registry),
      watcher_(std::make_unique<SessionFolderWatcher>([this] { OnSessionFileChanged(); })) {}

Session::~Session() = default;

bool Session::IsWatching() const {
    return watcher_->IsRunning();
}

// A folder that cannot be watched leaves the session unwatched, as before.
void Session::StartWatcher() {
    if (sessionPath_.empty() || sessionUntitled_) {
        return;
    }
    const std::string folder = FolderPart(sessionPath_);
    watcher_->Start(folder.empty() ? "." : folder);
}

// Notifications still pending die with the watch, so a self-write they
// would have answered must not outlive it and swallow another's save.
void Session::StopWatcher() {
    watcher_->Stop();
    selfWrite_ = false;
}

// Such a file would be taken for its own working copy: the first edit would
// overwrite it and the next save delete it.
bool Session::RefuseWorkingCopyName(const std::string& path) {
    if (!IsWorkingCopyName(path)) {
        return false;
    }
    ShowMessage(path + kWorkingCopyNameRefusal, mb::kOk | mb::kIconStop, BoxPlacement::Centred());
    return true;
}

int Session::ShowMessage(const std::string& text, unsigned flags, const BoxPlacement& placement) {
    ++modalDepth_;
    const int answer = services_.messageBox.Show(text, flags, placement);
    EndModal();
    return answer;
}

FileDialogResult Session::ChooseFile(const FileDialogRequest& request) {
    ++modalDepth_;
    FileDialogResult result = services_.fileDialog.Run(request);
    EndModal();
    return result;
}

void Session::EndModal() {
    if (--modalDepth_ == 0 && changeDeferred_) {
        changeDeferred_ = false;
        watcher_->ReportAgain();
    }
}

void Session::RefreshModifiedMark() {
    services_.host.SetModified(!journal_.IsEmpty());
}

void Session::RemoveWorkingCopy() {
    workingCopy_.Remove(WorkingCopyPath(sessionPath_));
}

void Session::EmptyJournal() {
    journal_.Clear();
    changeStart_.reset();
    RefreshModifiedMark();
}

bool Session::LoadSession(const std::string& path) {
    if (IsOnNetwork(path)) {
        ShowMessage("Cannot load a network session.", mb::kOk | mb::kIconExclamation,
                    BoxPlacement::AtPointer());
        return false;
    }
    if (RefuseWorkingCopyName(path)) {
        return false;
    }
    const std::optional<int64_t> size = FileSize(path);
    if (!size) {
        ShowMessage("Cannot find session file:\n" + path, mb::kSorry | mb::kIconStop,
                    BoxPlacement::Centred());
        return false;
    }
    if (*size != static_cast<int64_t>(kSessionFileSize)) {
        ShowMessage("Invalid Session file.", mb::kOk | mb::kIconStop, BoxPlacement::Centred());
        return false;
    }
    StopWatcher();
    // Read aside: a failed read leaves the session as it was.
    auto loaded = std::make_unique<RecordArray>();
    FileStamp stamp;
    int error = 0;
    const SessionReadResult result = ReadSessionFile(path, *loaded, stamp, error);
    if (result != SessionReadResult::kOk) {
        switch (result) {
            case SessionReadResult::kOpenFailed:
                ShowMessage(SystemErrorReport(path, error), mb::kOk | mb::kIconStop,
                            BoxPlacement::Centred());
                break;
            case SessionReadResult::kWrongSize:
                ShowMessage("Invalid Session file.", mb::kOk | mb::kIconStop,
                            BoxPlacement::Centred());
                break;
            default:
                ShowMessage("Failed to read session file.", mb::kSorry | mb::kIconStop,
                            BoxPlacement::Centred());
                break;
        }
        StartWatcher();
        return false;
    }
    records_ = std::move(loaded);
    sessionPath_ = path;
    sessionUntitled_ = false;
    // Steps recorded against another session must never be undone into this one.
    EmptyJournal();
    recent_.AddToTop(path);
    services_.host.RecentListChanged();
    sessionFileTime_ = stamp;
    StartWatcher();
    services_.host.SessionLoaded(path);
    return true;
}

bool Session::WriteSession(const std::string& path) {
    if (RefuseWorkingCopyName(path)) {
        return false;
    }
    StopWatcher();
    const int error = WriteSessionFile(path, *records_);
    if (error != 0) {
        ShowMessage(SystemErrorReport(path, error), mb::kOk | mb::kIconStop,
                    BoxPlacement::Centred());
        StartWatcher();
        return false;
    }
    EmptyJournal();
    // A stale working copy beside the file written would otherwise come
    // back over it at the next start.
    for (const std::string& session : {sessionPath_, path}) {
        workingCopy_.Remove(WorkingCopyPath(session));
    }
    sessionPath_ = path;
    sessionUntitled_ = false;
    services_.host.UpdateTitle();
    recent_.AddToTop(path);
    services_.host.RecentListChanged();
    sessionFileTime_ = ReadFileStamp(path);
    StartWatcher();
    return true;
}

void Session::WriteWorkingCopy() {
    const std::string workingCopy = WorkingCopyPath(sessionPath_);
    // Written and read with the same limit, so a working copy of the
    // program's own is never too long to come back.
    journal_.DropOldestSteps();
    if (!workingCopy.empty()) {
        workingCopy_.Write(workingCopy, *records_, journal_);
    }
    // An untitled session is in no recent list, so its working copy would
    // never be found after a crash: the settings remember where it is.
    if (sessionUntitled_ && untitledWorkNoted_ != sessionPath_) {
        services_.registry.SetString(settings::kUntitledWork, sessionPath_);
        untitledWorkNoted_ = sessionPath_;
    }
    if (services_.host.IsLinkedSlave()) {
        services_.host.TellLinkSessionChanged();
    }
}

void Session::NormaliseAfterLoad(bool fromWorkingCopy) {
    SessionHost& host = services_.host;
    host.StopAll();
    for (int button = 0; button < kButtonCount; ++button) {
        host.MarkForReload(button);
    }
    bool changed = false;
    for (ButtonRecord& record : *records_) {
        if (!IsAssigned(record)) {
            if (!IsZeroRecord(record)) {
                record = ButtonRecord{};
                changed = true;
            }
            continue;
        }
        changed = NormaliseFields(record) || changed;
        const std::string path(PathOf(record));
        if (IsNetworkPath(path)) {
            const std::string local = host.LocalPathOfOwnShare(path);
            if (local != path && local.size() < kPathSize) {
                SetPath(record, local);
                changed = true;
            }
        }
        if (IsSonglistPath(PathOf(record))) {
            const std::optional<int32_t> size = host.LocaliseSonglist(std::string(PathOf(record)));
            if (size && *size != record.fileSize) {
                record.fileSize = *size;
                changed = true;
            }
        }
    }
    if (changed && !sessionUntitled_) {
        if (fromWorkingCopy) {
            // The records hold unsaved edits: they belong in the working
            // copy, never in the session file.
            WriteWorkingCopy();
        } else if (WriteSessionFile(sessionPath_, *records_, /*evenIfReadOnly=*/true) == 0) {
            selfWrite_ = true;
        }
    }
    host.ReselectCurrentButton();
    host.ShowPage(0);
    host.UpdateTitle();
    host.RunSampleCheck();
    host.RebuildTimecodeTable();
    if (host.IsLinkedSlave()) {
        host.TellLinkSessionChanged();
    }
}

void Session::OnSessionFileChanged() {
    if (modalDepth_ > 0) {
        changeDeferred_ = true;
        return;
    }
    // Another part's dialog gives no notice when it closes: look again soon.
    if (services_.host.IsModalDialogOpen()) {
        watcher_->ReportAgain(kModalRetryMs);
        return;
    }
    if (sessionPath_.empty()) {
        return;
    }
    // A vanished file is no new version; the save question deals with it.
    const std::optional<FileStamp> stamp = ReadFileStamp(sessionPath_);
    if (!stamp || stamp == sessionFileTime_) {
        return;
    }
    sessionFileTime_ = stamp;
    if (selfWrite_) {
        selfWrite_ = false;
        return;
    }
    std::string text = "This session file has been changed.\nDo you want to use the new version?";
    if (!journal_.IsEmpty()) {
        text += "\n\nChanges made to this version\nwill be lost.";
    }
    const int answer = ShowMessage(text, mb::kYesNo | mb::kIconQuestion, BoxPlacement::Centred());
    if (answer != kResultYes || !LoadSession(sessionPath_)) {
        return;
    }
    NormaliseAfterLoad(false);
    services_.host.RepaintPage();
    EmptyJournal();
    services_.host.ReselectCurrentButton();
    RemoveWorkingCopy();
}

}  // namespace tamberline
