#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/drives.h"
#include "files/file_monitors.h"
#include "songlist/media_length.h"
#include "songlist/songlist_entries.h"
#include "songlist/work_queue.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace tamberline {

class FileCopier;
class FileDialog;
class FolderTree;
class MessageBox;
class Registry;

struct SonglistEditorServices {
    MessageBox& box;
    FileMonitors& monitors;
    FileDialog& files;
    FileCopier& copier;
    Registry& registry;
    std::vector<Drive> drives;
    // The media-detection measure; runs on the editor's worker thread.
    MediaLengthFn measure;
    // WM_SONGLIST_SAVED: after every save that reached the disk, with every
    // length the editor knows (so the buttons need not measure them again).
    std::function<void(const std::string& path, const SonglistEntries::Lengths& known)> saved;
    std::function<void(const std::string& topic)> help;
};

// "Create Songlist.": builds, orders, opens and saves M3U songlists from
// the files of the folder chosen in the tree. Lengths are measured on a
// worker thread; the list fills in as they arrive. While it is open it is
// the monitors' message target.
class SonglistEditor final : public QDialog, public MonitorTarget {
    Q_OBJECT
public:
    SonglistEditor(const SonglistEditorServices& services, const std::string& presetPath,
                   QWidget* parent = nullptr);
    ~SonglistEditor() override;

    const std::string& currentPath() const { return path_; }
    const std::string& sourceFolder() const { return folder_; }
    const SonglistEntries& entries() const { return entries_; }
    FolderTree& tree() { return *tree_; }
    QListWidget& sourceList() { return *sources_; }
    QListWidget& songList() { return *songs_; }
    QLabel& caption() { return *caption_; }
    QPushButton& viewToggle() { return *view_; }

    // The commands of the buttons and the menu.
    void AddAll();
    void Add();
    void Remove();
    void MoveUp();
    void MoveDown();
    void ClearAll();
    void ClearSelection();
    void ToggleView();
    void New();
    void Open();
    // False when nothing was written (cancelled, or the system refused).
    bool Save();
    bool SaveAs();
    void Exit();
    // Files dropped from the desktop: copied into the source folder.
    void CopyIn(const std::vector<std::string>& files);
    // Runs the event loop until every added file is kept or dropped.
    void WaitUntilSettled();
    // Runs the event loop until every length is known; false on timeout.
    bool WaitForLengths(int timeoutMs);

    // MonitorTarget
    void FolderChanged() override;
    void DriveChanged(const std::string& root) override;

protected:
    void reject() override;
    void done(int code) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    void OnFolderSelected(const std::string& folder);
    void ListFiles();
    void Load();
    void StartNew();
    bool ConfirmChanges();
    void ShowList();
    void ShowRows(const std::vector<int>& rows);
    void ShowCaption();
    void ShowTitle();
    void MeasureMissing();
    void LengthArrived(const std::string& path, int32_t lengthMs);
    void Apply(const SonglistEntries::Arrival& arrival);
    void CheckPresence();
    void PresenceKnown(const std::vector<std::pair<std::string, bool>>& presence);
    std::set<int> SelectedSongs() const;
    void SelectSongs(const std::set<int>& rows);
    void RestartMonitors();
    void Close();

    SonglistEditorServices services_;
    MonitorTarget* previousTarget_ = nullptr;
    FolderTree* tree_ = nullptr;
    QListWidget* sources_ = nullptr;
    QListWidget* songs_ = nullptr;
    QLabel* caption_ = nullptr;
    QPushButton* view_ = nullptr;
    std::string path_;
    std::string folder_;
    std::string addFolder_;  // the folder of the files added last
    SonglistEntries entries_;
    bool detail_ = false;
    bool listing_ = false;
    bool presencePending_ = false;
    bool presenceAgain_ = false;
    bool closed_ = false;
    bool openerFolderChanged_ = false;  // WM_FOLDER_CHANGED owed to the opener
    // Declared last, so it goes first: no result arrives while the rest
    // of the editor is taken down.
    WorkQueue work_;
};

// Opens the editor modally on `presetPath` (empty: the songlist last
// used). Returns the songlist the editor closed on when that file exists
// (saved, or opened and left unchanged), nothing when it closed on a new
// list never saved.
std::optional<std::string> RunSonglistEditor(const SonglistEditorServices& services,
                                             const std::string& presetPath,
                                             QWidget* parent = nullptr);

}  // namespace tamberline
