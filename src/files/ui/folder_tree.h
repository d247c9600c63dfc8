#pragma once

#include <QPointer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "files/drives.h"
#include "files/folder_commands.h"
#include "files/folder_tree_model.h"

namespace tamberline {

class FileMonitors;
class MessageBox;
class MountWatcher;

// The folder tree of every tool dialog: the drives of a drive-type mask,
// folders listed when expanded, the popup menu "New folder", "Rename",
// "Explorer", "Delete", label editing, and the drive monitors of the
// shown drives. Light grey with black text.
class FolderTree : public QTreeView {
    Q_OBJECT
public:
    FolderTree(FileMonitors& monitors, MessageBox& box, QWidget* parent = nullptr);
    ~FolderTree() override;

    FolderTreeModel& folders() { return model_; }
    FolderCommands& commands() { return commands_; }

    // Adds every drive whose type is in the mask and starts the monitors
    // of the removable and fixed ones.
    void AddDrives(const std::vector<Drive>& drives, uint32_t mask);
    // Expands the tree down to `path` and selects the deepest folder
    // reached; false when no shown drive holds it.
    bool ExpandToPath(const std::string& path);
    std::string SelectedFolder() const;  // ends in '/'; empty when none
    QModelIndex SelectedItem() const;

    // WM_DRIVE_CHANGED for this tree.
    void RefreshDrive(const std::string& root);
    // Mount changes.
    void DriveArrived(const Drive& drive);
    void DriveRemoved(const Drive& drive);
    // The network branch, when the mask asks for it (kNetworkBranch): the
    // watcher's shares, now or once the drives are added, and as they are
    // mounted and unmounted.
    void FollowShares(MountWatcher& mounts);
    void ShareArrived(const std::string& share);
    void ShareRemoved(const std::string& share);

    // Where "Searching %d" goes while a folder is scanned.
    void SetStatusSink(std::function<void(const std::string&)> sink) { status_ = std::move(sink); }
    // Whether the popup menu is offered on an item (all items by default).
    void SetMenuFilter(std::function<bool(const QModelIndex&)> filter) {
        menuFilter_ = std::move(filter);
    }
    // Ends a running scan; the tree keeps what it had.
    void CancelScan() { cancelled_ = true; }
    bool IsBusy() const { return busy_; }

    // The popup menu's commands, as the menu runs them.
    void NewFolder();
    void RenameSelected();
    void ExploreSelected();
    void DeleteSelected();

signals:
    // The operator (or ExpandToPath) selected a folder.
    void FolderSelected(const std::string& folder);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnExpanded(const QModelIndex& item);
    void OnCollapsed(const QModelIndex& item);
    void OnCurrentChanged(const QModelIndex& item);
    bool Scan(const std::function<bool(const ScanProgress&)>& work);
    void WatchShownFolders(const std::string& root);
    void ShowExpanded(const QModelIndex& item);
    void SelectItem(const QModelIndex& item);
    void RemoveRoot(const QModelIndex& root, const std::string& path);
    void AddShares();

    FileMonitors& monitors_;
    FolderTreeModel model_;
    FolderCommands commands_;
    uint32_t mask_ = 0;
    QPointer<MountWatcher> mounts_;
    std::function<void(const std::string&)> status_;
    std::function<bool(const QModelIndex&)> menuFilter_;
    std::set<std::string> pendingRefresh_;
    bool busy_ = false;
    bool syncing_ = false;  // the view is being expanded by us, not the operator
    bool cancelled_ = false;
};

}  // namespace tamberline
