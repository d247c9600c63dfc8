#include "files/ui/folder_tree.h"

#include <sys/statvfs.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QStyledItemDelegate>

#include "files/file_monitors.h"
#include "files/folder_listing.h"
#include "files/mount_watcher.h"

namespace tamberline {

namespace {

const QColor kBackground(224, 224, 224);

// Drives and open or closed folders drawn with the style's own pictures.
class FolderItemDelegate final : public QStyledItemDelegate {
public:
    FolderItemDelegate(const FolderTreeModel& model, const QTreeView& view)
        : QStyledItemDelegate(const_cast<QTreeView*>(&view)), model_(model), view_(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& item) const override {
        QStyledItemDelegate::initStyleOption(option, item);
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = view_.style()->standardIcon(Picture(item));
    }

private:
    QStyle::StandardPixmap Picture(const QModelIndex& item) const {
        if (!model_.IsRoot(item)) {
            return view_.isExpanded(item) ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon;
        }
        switch (model_.DriveTypeOf(item)) {
            case DriveType::kCdRom: return QStyle::SP_DriveCDIcon;
            case DriveType::kRemote: return QStyle::SP_DriveNetIcon;
            case DriveType::kRemovable: return QStyle::SP_DriveFDIcon;
            default: return QStyle::SP_DriveHDIcon;
        }
    }

    const FolderTreeModel& model_;
    const QTreeView& view_;
};

// A removable drive without readable media fails the free-space query.
bool MediaReadable(const std::string& root) {
    struct statvfs info {};
    return ::statvfs(root.c_str(), &info) == 0;
}

}  // namespace

FolderTree::FolderTree(FileMonitors& monitors, MessageBox& box, QWidget* parent)
    : QTreeView(parent), monitors_(monitors), commands_(model_, box, monitors) {
    setModel(&model_);
    setItemDelegate(new FolderItemDelegate(model_, *this));
    header()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, kBackground);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    model_.SetRenameHandler([this](const QModelIndex& item, const std::string& text) {
        return commands_.Rename(item, text);
    });
    connect(this, &QTreeView::expanded, this, &FolderTree::OnExpanded);
    connect(this, &QTreeView::collapsed, this, &FolderTree::OnCollapsed);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnCurrentChanged(current); });
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        // Label editing ended, renamed or not: the tree and the dialog
        // follow the folder under its name of now.
        WatchShownFolders(model_.DriveRootOf(SelectedItem()));
        if (!monitors_.FolderMonitorRunning()) {
            monitors_.StartFolderMonitor(SelectedFolder());
        }
        emit FolderSelected(SelectedFolder());
    });
}

FolderTree::~FolderTree() = default;

void FolderTree::AddDrives(const std::vector<Drive>& drives, uint32_t mask) {
    mask_ = mask;
    for (const Drive& drive : drives) {
        if (model_.AddDrive(drive, mask) &&
            (drive.type == DriveType::kRemovable || drive.type == DriveType::kFixed)) {
            monitors_.StartDriveMonitor(drive);
        }
    }
    AddShares();
}

bool FolderTree::Scan(const std::function<bool(const ScanProgress&)>& work) {
    busy_ = true;
    cancelled_ = false;
    bool disabled = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool done = work([this, &disabled](int seen) {
        if (status_) {
            status_("Searching " + std::to_string(seen));
        }
        // A long scan lets the window work on; the tree itself takes no
        // input until it is done.
        if (!disabled) {
            setEnabled(false);
            disabled = true;
        }
        QCoreApplication::processEvents();
        return !cancelled_;
    });
    if (disabled) {
        setEnabled(true);
        setFocus();
    }
    QApplication::restoreOverrideCursor();
    if (status_) {
        status_("");
    }
    busy_ = false;
    for (const std::string& root : std::exchange(pendingRefresh_, {})) {
        RefreshDrive(root);
    }
    monitors_.PostBusyDone();
    return done;
}

void FolderTree::OnExpanded(const QModelIndex& item) {
    if (syncing_ || busy_) {
        return;
    }
    const std::string root = model_.DriveRootOf(item);
    const QPersistentModelIndex kept(item);
    const bool listed =
        Scan([this, &kept](const ScanProgress& progress) { return model_.Expand(kept, progress); });
    if (kept.isValid()) {
        if (!listed) {
            // Cancelled: the item stays closed, with its expand button.
            syncing_ = true;
            collapse(kept);
            syncing_ = false;
        }
        SelectItem(kept);
    }
    WatchShownFolders(root);
}

void FolderTree::OnCollapsed(const QModelIndex& item) {
    if (syncing_ || busy_) {
        return;
    }
    model_.Collapse(item);
    WatchShownFolders(model_.DriveRootOf(item));
}

void FolderTree::ShowExpanded(const QModelIndex& item) {
    std::vector<QModelIndex> chain;
    for (QModelIndex at = item; at.isValid(); at = at.parent()) {
        chain.push_back(at);
    }
    syncing_ = true;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        expand(*it);
    }
    syncing_ = false;
}

void FolderTree::SelectItem(const QModelIndex& item) {
    setCurrentIndex(item);
    scrollTo(item);
}

bool FolderTree::ExpandToPath(const std::string& path) {
    if (busy_) {
        return false;
    }
    QPersistentModelIndex deepest;
    Scan([this, &path, &deepest](const ScanProgress& progress) {
        deepest = model_.ExpandTo(path, progress);
        return deepest.isValid();
    });
    if (!deepest.isValid()) {
        return false;
    }
    ShowExpanded(deepest.parent());
    WatchShownFolders(model_.DriveRootOf(deepest));
    if (currentIndex() == deepest) {
        OnCurrentChanged(deepest);
    } else {
        SelectItem(deepest);
    }
    return true;
}

QModelIndex FolderTree::SelectedItem() const {
    return currentIndex();
}

std::string FolderTree::SelectedFolder() const {
    return model_.PathOf(currentIndex());
}

void FolderTree::OnCurrentChanged(const QModelIndex& item) {
    if (!item.isValid() || busy_) {
        return;
    }
    const std::string path = model_.PathOf(item);
    if (model_.DriveTypeOf(item) == DriveType::kRemovable && !MediaReadable(path)) {
        syncing_ = true;
        collapse(item);
        syncing_ = false;
        model_.Collapse(item);
        ExpandToPath(QDir::homePath().toStdString());
        return;
    }
    if (!model_.hasChildren(item) && HasSubfolders(path)) {
        model_.UpdatePlaceholder(item);
        expand(item);
    }
    WatchShownFolders(model_.DriveRootOf(item));
    emit FolderSelected(path);
}

void FolderTree::WatchShownFolders(const std::string& root) {
    if (root.empty()) {
        return;
    }
    std::vector<std::string> folders = model_.ExpandedFolders(root);
    if (model_.DriveRootOf(SelectedItem()) == root) {
        folders.push_back(SelectedFolder());
    }
    monitors_.WatchDriveFolders(root, folders);
}

void FolderTree::RefreshDrive(const std::string& root) {
    if (busy_) {
        pendingRefresh_.insert(root);
        return;
    }
    model_.RefreshDrive(root);
    WatchShownFolders(root);
}

void FolderTree::DriveArrived(const Drive& drive) {
    if (drive.type == DriveType::kCdRom) {
        RefreshDrive(drive.root);
        return;
    }
    if (model_.AddDrive(drive, mask_) &&
        (drive.type == DriveType::kRemovable || drive.type == DriveType::kFixed)) {
        monitors_.StartDriveMonitor(drive);
    }
}

void FolderTree::DriveRemoved(const Drive& drive) {
    for (int row = 0; row < model_.rowCount(); ++row) {
        const QModelIndex root = model_.index(row, 0);
        if (model_.PathOf(root) != drive.root || model_.IsShare(root)) {
            continue;
        }
        if (drive.type == DriveType::kCdRom) {
            syncing_ = true;
            collapse(root);
            syncing_ = false;
            model_.Collapse(root);
            monitors_.StopDriveMonitor(drive.root);
        } else {
            RemoveRoot(root, drive.root);
        }
        return;
    }
}

void FolderTree::RemoveRoot(const QModelIndex& root, const std::string& path) {
    syncing_ = true;
    collapse(root);
    syncing_ = false;
    model_.Collapse(root);
    monitors_.StopDriveMonitor(path);
    model_.RemoveItem(root);
}

void FolderTree::FollowShares(MountWatcher& mounts) {
    mounts_ = &mounts;
    connect(&mounts, &MountWatcher::ShareArrived, this, &FolderTree::ShareArrived);
    connect(&mounts, &MountWatcher::ShareRemoved, this, &FolderTree::ShareRemoved);
    AddShares();
}

void FolderTree::AddShares() {
    if (mounts_) {
        for (const std::string& share : mounts_->Shares()) {
            ShareArrived(share);
        }
    }
}

void FolderTree::ShareArrived(const std::string& share) {
    if ((mask_ & kNetworkBranch) && model_.AddShare(share)) {
        // Folders made or removed on the share from this machine show at once.
        monitors_.StartDriveMonitor({WithTrailingSlash(share), DriveType::kRemote});
    }
}

void FolderTree::ShareRemoved(const std::string& share) {
    const std::string root = WithTrailingSlash(share);
    for (int row = 0; row < model_.rowCount(); ++row) {
        const QModelIndex item = model_.index(row, 0);
        if (model_.IsShare(item) && model_.PathOf(item) == root) {
            RemoveRoot(item, root);
            return;
        }
    }
}

void FolderTree::NewFolder() {
    const QModelIndex parent = SelectedItem();
    const QModelIndex item = commands_.NewFolder(parent);
    if (!item.isValid()) {
        return;
    }
    ShowExpanded(parent);
    SelectItem(item);
    // No folder monitor while the name is edited.
    monitors_.StopFolderMonitor();
    edit(item);
}

void FolderTree::RenameSelected() {
    const QModelIndex item = SelectedItem();
    if (item.isValid() && !model_.IsRoot(item)) {
        monitors_.StopFolderMonitor();
        edit(item);
    }
}

void FolderTree::ExploreSelected() {
    commands_.Explore(SelectedItem());
}

void FolderTree::DeleteSelected() {
    const QModelIndex item = SelectedItem();
    if (!item.isValid() || model_.IsRoot(item)) {
        return;
    }
    const QPersistentModelIndex parent = item.parent();
    const std::string root = model_.DriveRootOf(item);
    if (commands_.Delete(item)) {
        SelectItem(parent);
        WatchShownFolders(root);
    } else {
        monitors_.StartFolderMonitor(SelectedFolder());
    }
}

void FolderTree::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex under = indexAt(event->pos());
    if (under.isValid()) {
        SelectItem(under);
    }
    const QModelIndex selected = SelectedItem();
    if (menuFilter_ && selected.isValid() && !menuFilter_(selected)) {
        return;
    }
    const FolderCommands::Enabled enabled = commands_.MenuState(selected);
    QMenu menu(this);
    menu.addAction(QStringLiteral("New folder"), this, &FolderTree::NewFolder)
        ->setEnabled(enabled.newFolder);
    menu.addAction(QStringLiteral("Rename"), this, &FolderTree::RenameSelected)
        ->setEnabled(enabled.rename);
    menu.addAction(QStringLiteral("Explorer"), this, &FolderTree::ExploreSelected)
        ->setEnabled(enabled.explore);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Delete"), this, &FolderTree::DeleteSelected)
        ->setEnabled(enabled.remove);
    menu.exec(event->globalPos());
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Delete:
            if (state() != QAbstractItemView::EditingState) {
                DeleteSelected();
            }
            event->accept();
            return;
        case Qt::Key_Escape: event->accept(); return;
        default: QTreeView::keyPressEvent(event);
    }
}

}  // namespace tamberline
