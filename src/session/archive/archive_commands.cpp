#include "session/archive/archive_commands.h"

#include <algorithm>
#include <memory>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "base/path_parts.h"
#include "session/archive/archive_paths.h"
#include "session/archive/copy_engine.h"
#include "session/archive/copy_runner.h"
#include "session/disk_file.h"
#include "session/registry.h"
#include "session/session.h"

namespace tamberline {

namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

bool ArchiveCommands::Ready(const std::string& stopFirst) {
    if (services_.anyButtonRunning && services_.anyButtonRunning()) {
        services_.box.Show(stopFirst, mb::kOk | mb::kIconInformation);
        return false;
    }
    return services_.session.ConfirmDiscard(true);
}

std::string ArchiveCommands::FolderOrDefault(const std::string& stored) const {
    return WithSlash(stored.empty() ? services_.defaultFolder : stored);
}

bool ArchiveCommands::RunCopy(CopyMode mode, const std::string& source,
                              const std::string& destination, bool preserveFolders) {
    auto copy = std::make_shared<SessionCopy>();
    const std::string refusal = PlanSessionCopy(mode, source, destination, preserveFolders, *copy);
    if (!refusal.empty()) {
        services_.box.Show(refusal, mb::kOk | mb::kIconStop);
        return false;
    }
    const CopyOutcome outcome = services_.runner.Run(
        CopyCaption(mode), [copy](CopyControl& control) { return RunSessionCopy(*copy, control); });
    if (outcome.kind == CopyOutcome::Kind::kFailed) {
        services_.box.Show(outcome.failure, mb::kOk | mb::kIconStop);
    }
    if (!outcome.skipped.empty()) {
        services_.box.Show(SkippedFilesReport(outcome.skipped), mb::kOk | mb::kIconExclamation);
    }
    return outcome.Done();
}

void ArchiveCommands::ReadArchive() {
    if (!Ready("All buttons must be stopped \nto use Archive.")) {
        return;
    }
    FileDialogRequest request;
    request.okCaption = "Read";
    request.title = "Read an archive.";
    request.pattern = "*.dbx";
    request.mode = FileDialogRequest::Mode::kOpen;
    request.sessionCheck = true;
    const std::string stored = services_.registry.String(settings::kImportFolder);
    request.initialPath = stored.empty() ? WithSlash(services_.defaultFolder) : stored;
    const FileDialogResult result = services_.fileDialog.Run(request);
    if (!result.ok) {
        return;
    }
    const std::string archive = result.Path();
    if (!FileExists(archive)) {
        services_.box.Show("Cannot find archive file:\n" + archive, mb::kSorry | mb::kIconStop);
        return;
    }
    if (FileSize(archive) != static_cast<int64_t>(kSessionFileSize)) {
        services_.box.Show(archive + "\n\nArchive file is not valid.\n",
                           mb::kSorry | mb::kIconStop);
        return;
    }
    services_.registry.SetString(settings::kImportFolder, archive);
    std::string session = FolderPart(services_.session.sessionPath()) +
                          StripExtension(FileNamePart(archive)) + ".dbf";
    services_.session.SaveSessionAs(session, false);
    if (session.empty()) {
        return;
    }
    if (RunCopy(CopyMode::kReadArchive, archive, session, result.preserveFolderStructure)) {
        services_.session.LoadAndNormalise(session);
    }
}

void ArchiveCommands::WriteArchive() {
    if (!Ready("All buttons must be stopped \nto use Archive.")) {
        return;
    }
    const std::string& session = services_.session.sessionPath();
    FileDialogRequest request;
    request.okCaption = "Write";
    request.title = "Write this session to an archive.";
    request.pattern = "*.dbx";
    request.mode = FileDialogRequest::Mode::kSave;
    request.initialPath = FolderOrDefault(services_.registry.String(settings::kExportFolder)) +
                          StripExtension(FileNamePart(session)) + ".dbx";
    const FileDialogResult result = services_.fileDialog.Run(request);
    if (!result.ok) {
        return;
    }
    services_.registry.SetString(settings::kExportFolder, result.folder);
    RunCopy(CopyMode::kWriteArchive, session, result.Path(), false);
}

void ArchiveCommands::CloneSession() {
    if (!Ready("All buttons must be stopped \nto Clone.")) {
        return;
    }
    const std::string session = services_.session.sessionPath();
    const std::string folder = FolderPart(session);
    const RecordArray& records = services_.session.records();
    const bool inSubFolders =
        std::any_of(records.begin(), records.end(), [&folder](const ButtonRecord& record) {
            return IsAssigned(record) &&
                   !FolderPart(RelativeInside(folder, std::string(PathOf(record)))).empty();
        });
    FileDialogRequest request;
    request.okCaption = "Clone";
    request.title = "Clone this session.";
    request.pattern = "*.dbf";
    request.mode = FileDialogRequest::Mode::kSave;
    request.preserveFolderStructure = inSubFolders;
    request.initialPath =
        FolderOrDefault(services_.registry.String(settings::kCloneFolder)) + FileNamePart(session);
    const FileDialogResult result = services_.fileDialog.Run(request);
    if (!result.ok) {
        return;
    }
    services_.registry.SetString(settings::kCloneFolder, result.folder);
    const std::string clone = result.Path();
    if (RunCopy(CopyMode::kCloneSession, session, clone, result.preserveFolderStructure)) {
        services_.box.Show("The session is cloned to\n" + clone +
                               "\n\nThis session stays open; open the clone to work on it.",
                           mb::kOk | mb::kIconInformation);
    }
}

}  // namespace tamberline
