#include "session/session.h"

#include <algorithm>
#include <climits>

#include "base/message_box.h"
#include "session/session_file.h"
#include "session/session_host.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

bool AnyRecordDiffers(const RecordArray& a, const RecordArray& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (RecordsDiffer(a[i], b[i])) {
            return true;
        }
    }
    return false;
}

template <typename T>
void Take(T& field, T value, bool& changed) {
    if (field != value) {
        field = value;
        changed = true;
    }
}

}  // namespace

// The session file as it is on disk; null when it cannot be read whole.
std::unique_ptr<RecordArray> Session::ReadDiskCopy() {
    auto disk = std::make_unique<RecordArray>();
    FileStamp stamp;
    int error = 0;
    if (ReadSessionFile(sessionPath_, *disk, stamp, error) != SessionReadResult::kOk) {
        return nullptr;
    }
    return disk;
}

// Saved run data follow the samples even when edits are discarded; only
// run data (and, after output renaming, outputs) ever reach the file here.
void Session::RefreshRunData(RecordArray& disk) {
    bool changed = false;
    for (size_t i = 0; i < disk.size(); ++i) {
        ButtonRecord& saved = disk[i];
        ButtonRecord& current = (*records_)[i];
        if (!IsAssigned(saved)) {
            if (!IsZeroRecord(saved)) {
                saved = ButtonRecord{};
                changed = true;
            }
            continue;
        }
        if (outputsRenamed_) {
            Take(saved.output, current.output, changed);
        }
        if (PathOf(saved) != PathOf(current)) {
            continue;
        }
        if (const std::optional<int64_t> size = FileSize(std::string(PathOf(saved)))) {
            const auto bytes = static_cast<int32_t>(std::min<int64_t>(*size, INT32_MAX));
            Take(saved.fileSize, bytes, changed);
            current.fileSize = bytes;
        }
        Take(saved.multiChannel, current.multiChannel, changed);
        Take(saved.hasSegments, current.hasSegments, changed);
        if (saved.varispeed == current.varispeed) {
            Take(saved.durationMs, current.durationMs, changed);
        }
    }
    outputsRenamed_ = false;
    // Nothing new: leave the show's file (and its time) alone.
    if (changed && WriteSessionFile(sessionPath_, disk) == 0) {
        selfWrite_ = true;
    }
}

// The session is taken as it is on disk from now on.
void Session::DiscardChanges() {
    EmptyJournal();
    services_.host.ReselectCurrentButton();
    RemoveWorkingCopy();
}

bool Session::ConfirmDiscard(bool revert) {
    SessionHost& host = services_.host;
    if (host.IsLinkedMaster()) {
        return true;
    }
    std::unique_ptr<RecordArray> disk;
    if (!sessionUntitled_) {
        if (!FileExists(sessionPath_)) {
            const int answer = ShowMessage(
                sessionPath_ + "\n\nThis file no longer exists.\nDo you want to save it?",
                mb::kYesNoCancel | mb::kIconQuestion | mb::kDefault2, BoxPlacement::AtPointer());
            if (answer == kResultYes) {
                // Go on only when the changes are safe on disk.
                return WriteSession(sessionPath_);
            }
            return answer == kResultNo;
        }
        disk = ReadDiskCopy();
        if (IsReadOnlyFile(sessionPath_) && (!disk || AnyRecordDiffers(*records_, *disk))) {
            const int answer = ShowMessage(sessionPath_ +
                                               "\n\nFile is set ReadOnly,"
                                               "\nany changes made to it will be lost."
                                               "\nContinue?",
                                           mb::kYesNo | mb::kIconQuestion | mb::kDefault2,
                                           BoxPlacement::Centred());
            return answer == kResultYes;
        }
        if (disk) {
            RefreshRunData(*disk);
        }
    }
    // An untitled session (or a file that cannot be read) counts as all zero.
    if (!disk) {
        disk = std::make_unique<RecordArray>();
    }
    if (!AnyRecordDiffers(*records_, *disk)) {
        DiscardChanges();
        return true;
    }
    const std::string question =
        sessionUntitled_
            ? std::string("Do you want to save this session ?")
            : "Do you want to save the changes to\n" + FileNamePart(sessionPath_) + " ?";
    const int answer = ShowMessage(question, mb::kYesNoCancel | mb::kIconQuestion | mb::kDefault3,
                                   BoxPlacement::AtPointer());
    if (answer == kResultYes) {
        std::string path = sessionPath_;
        if (sessionUntitled_) {
            SaveSessionAs(path, true);
            if (path.empty()) {
                return false;
            }
        }
        return WriteSession(path);
    }
    if (answer != kResultNo) {
        return false;
    }
    if (revert) {
        for (int button = 0; button < kButtonCount; ++button) {
            ButtonRecord& record = records_->at(static_cast<size_t>(button));
            const ButtonRecord& saved = disk->at(static_cast<size_t>(button));
            if (RecordsDiffer(record, saved)) {
                host.MarkForReload(button);
            }
            record = saved;
            NormaliseFields(record);
            host.RepaintButton(button);
        }
    }
    DiscardChanges();
    return true;
}

}  // namespace tamberline
