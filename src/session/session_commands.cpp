#include "session/session.h"

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "session/session_host.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

// Free means no session and no working copy by that name: unsaved work of
// an untitled session the program lost must never be overwritten.
bool IsFreeSessionName(const std::string& path) {
    return !FileExists(path) && !FileExists(WorkingCopyPath(path));
}

std::string FreeUntitledName(const std::string& folder) {
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::string path = base + "Untitled.dbf";
    for (int n = 1; !IsFreeSessionName(path); ++n) {
        path = base + "Untitled (" + std::to_string(n) + ").dbf";
    }
    return path;
}

}  // namespace

void Session::NewSession(bool ask) {
    if (ask && !ConfirmDiscard(false)) {
        return;
    }
    SessionHost& host = services_.host;
    host.StopAll();
    // There is no file to watch until the session is saved.
    StopWatcher();
    std::string folder = sessionPath_.empty() ? std::string() : FolderPart(sessionPath_);
    if (folder.empty()) {
        folder = services_.documentsFolder.empty() ? DocumentsFolder() : services_.documentsFolder;
    }
    sessionPath_ = FreeUntitledName(folder);
    sessionUntitled_ = true;
    sessionFileTime_.reset();
    records_->fill(ButtonRecord{});
    // Run control still holds the old session's files until told.
    for (int button = 0; button < kButtonCount; ++button) {
        host.MarkForReload(button);
    }
    EmptyJournal();
    host.ReselectCurrentButton();
    host.RebuildTimecodeTable();
    host.RepaintPage();
    host.ShowPage(0);
    host.UpdateTitle();
}

void Session::OpenSession() {
    if (!ConfirmDiscard(false)) {
        return;
    }
    FileDialogRequest request;
    request.okCaption = "Open";
    request.initialPath = sessionPath_;
    request.title = "Open session file.";
    request.pattern = "*.dbf";
    request.mode = FileDialogRequest::Mode::kOpen;
    const FileDialogResult result = ChooseFile(request);
    if (result.ok && LoadSession(result.Path())) {
        NormaliseAfterLoad(false);
    }
}

bool Session::LoadAndNormalise(const std::string& path) {
    if (!LoadSession(path)) {
        return false;
    }
    NormaliseAfterLoad(false);
    return true;
}

void Session::OpenRecent(int index) {
    if (index < 0 || index >= kRecentCount) {
        return;
    }
    const std::string path = recent_.Entry(index);
    if (path.size() <= 3 || !ConfirmDiscard(false)) {
        return;
    }
    if (LoadSession(path)) {
        NormaliseAfterLoad(false);
    } else {
        recent_.Hide(index);
        services_.host.RecentListChanged();
    }
}

void Session::SaveSession() {
    if (sessionUntitled_ || sessionPath_.empty()) {
        std::string path = sessionPath_;
        SaveSessionAs(path, true);
        if (!path.empty()) {
            WriteSession(path);
        }
        return;
    }
    if (FileExists(sessionPath_) && IsReadOnlyFile(sessionPath_)) {
        ShowMessage(sessionPath_ + "\n\nFile is set ReadOnly.", mb::kOk | mb::kIconInformation,
                    BoxPlacement::AtPointer());
        return;
    }
    WriteSession(sessionPath_);
}

void Session::SaveSessionAsCommand() {
    std::string path = sessionPath_;
    SaveSessionAs(path, true);
    if (!path.empty()) {
        WriteSession(path);
    }
}

void Session::SaveSessionAs(std::string& path, bool normal) {
    FileDialogRequest request;
    request.okCaption = "Save";
    request.initialPath = path;
    request.title = normal ? "Save session file as." : "Extract archive to session file.";
    request.pattern = "*.dbf";
    request.mode = FileDialogRequest::Mode::kSave;
    path = ChooseFile(request).Path();
}

void Session::ClearRecentList() {
    recent_.Clear();
    services_.host.RecentListChanged();
}

void Session::OpenSessionRequest(const std::string& path) {
    const std::string session = WithoutQuotes(path);
    if (ConfirmDiscard(false) && LoadSession(session)) {
        NormaliseAfterLoad(false);
    }
}

}  // namespace tamberline
