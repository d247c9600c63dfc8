#pragma once

#include <memory>
#include <optional>
#include <string>

#include "session/button_record.h"
#include "session/disk_file.h"
#include "session/recent_list.h"
#include "session/undo_journal.h"
#include "session/working_copy.h"

namespace tamberline {

class FileDialog;
class MessageBox;
struct BoxPlacement;
struct FileDialogRequest;
struct FileDialogResult;
class Registry;
class SessionFolderWatcher;
class SessionHost;

// Shown after the path when a session would be named like a working copy.
inline constexpr char kWorkingCopyNameRefusal[] =
    "\n\nA name ending in \"tmp\" is kept for working copies\nand cannot be a session file.";

struct SessionServices {
    MessageBox& messageBox;
    FileDialog& fileDialog;
    Registry& registry;
    SessionHost& host;
    // Where a new session goes when no folder is known; empty: the user's.
    std::string documentsFolder;
};

// The open session: the 336 records, the file they belong to, the undo
// journal with its working copy, the recent list, and every operation that
// creates, opens, saves, closes or restores a session. Runs on the thread
// that owns it; questions go through the message box, file choice through
// the file dialog, and everything else the program does through the host.
class Session {
public:
    explicit Session(const SessionServices& services);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const RecordArray& records() const { return *records_; }
    // Editors change records directly, between BeginChange and EndChange.
    ButtonRecord& Record(int button) { return (*records_)[static_cast<size_t>(button)]; }

    const std::string& sessionPath() const { return sessionPath_; }
    bool sessionUntitled() const { return sessionUntitled_; }
    const std::optional<FileStamp>& sessionFileTime() const { return sessionFileTime_; }
    bool selfWrite() const { return selfWrite_; }
    const UndoJournal& journal() const { return journal_; }
    bool IsModified() const { return !journal_.IsEmpty(); }
    const RecentList& recentList() const { return recent_; }
    bool IsWatching() const;
    // An output was renamed and the outputs sorted afresh (`rows`: old row
    // to new): every assigned button, and every record the undo journal
    // keeps, stays on its output. The rename is a setting, not an edit of
    // the session, so it is no undo step; the next run-data refresh copies
    // the outputs. Returns the buttons whose row changed.
    std::vector<int> FollowRenamedOutputs(const std::vector<int>& rows);

    // The session file itself.
    bool LoadSession(const std::string& path);
    // LoadSession followed by the after-load normalisation, as Open does
    // (Read Archive opens the session it extracted this way).
    bool LoadAndNormalise(const std::string& path);
    bool WriteSession(const std::string& path);
    void WriteWorkingCopy();

    // Recording a change of records for undo: BeginChange, AppendUndoEntry
    // for every button before it changes, change the records, EndChange.
    void BeginChange();
    void AppendUndoEntry(int button);
    void EndChange(bool cancelled);
    void Undo();

    // The File menu. Each returns once the operation has run or was refused.
    bool ConfirmDiscard(bool revert);
    void NewSession(bool ask);
    void OpenSession();
    void OpenRecent(int index);
    void SaveSession();
    void SaveSessionAsCommand();
    // Asks for a session file to save to; path in: the one proposed, out:
    // the one chosen, empty when cancelled. `normal` false: Read Archive's title.
    void SaveSessionAs(std::string& path, bool normal);
    void ClearRecentList();

    // The program's start: the command-line session, the recent list, the
    // working copy or the session file, else a new session.
    void RestoreAtStartup(const std::string& commandLinePath);
    // A second start handed over a session path.
    void OpenSessionRequest(const std::string& path);
    // The session folder changed on disk.
    void OnSessionFileChanged();

private:
    // Every box and file dialog runs an event loop of its own; a notice of
    // the session file arriving meanwhile waits until the last one closes.
    int ShowMessage(const std::string& text, unsigned flags, const BoxPlacement& placement);
    FileDialogResult ChooseFile(const FileDialogRequest& request);
    void EndModal();
    bool RefuseWorkingCopyName(const std::string& path);
    void StartWatcher();
    void StopWatcher();
    void NormaliseAfterLoad(bool fromWorkingCopy);
    bool RestoreWorkingCopy(const std::string& path);
    bool RestoreUntitledWork();
    void RefreshModifiedMark();
    void RemoveWorkingCopy();
    void EmptyJournal();
    std::unique_ptr<RecordArray> ReadDiskCopy();
    void RefreshRunData(RecordArray& disk);
    void DiscardChanges();

    SessionServices services_;
    std::unique_ptr<RecordArray> records_;
    std::string sessionPath_;
    bool sessionUntitled_ = false;
    std::optional<FileStamp> sessionFileTime_;
    bool selfWrite_ = false;
    bool outputsRenamed_ = false;
    int modalDepth_ = 0;
    bool changeDeferred_ = false;
    std::string untitledWorkNoted_;  // the untitled session last named in the settings
    std::optional<size_t> changeStart_;
    UndoJournal journal_;
    WorkingCopyWriter workingCopy_;
    RecentList recent_;
    std::unique_ptr<SessionFolderWatcher> watcher_;
};

}  // namespace tamberline
