#include "songlist/ui/songlist_editor.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "base/path_parts.h"
#include "files/external_editor.h"
#include "files/folder_listing.h"
#include "files/mount_watcher.h"
#include "files/path_text.h"
#include "files/ui/copy_in.h"
#include "files/ui/folder_file_list.h"
#include "files/ui/folder_tree.h"
#include "session/disk_file.h"
#include "session/registry.h"
#include "songlist/playlist_reader.h"
#include "songlist/songlist_file.h"

namespace tamberline {

namespace {

const QColor kBackground(224, 224, 224);
// Every drive type: removable, fixed, remote and CD-ROM, and the network
// shares.
constexpr uint32_t kAllDrives = 0x3C | kNetworkBranch;
constexpr int kWaitSliceMs = 50;
constexpr const char* kHelpTopic = "Songlist.htm";

bool EndsInM3u(const std::string& path) {
    return PlaylistKindOf(path) == PlaylistKind::kM3u;
}

std::string HomeFolder() {
    return WithTrailingSlash(ToBytes(QDir::homePath()));
}

QPushButton* Button(QWidget* parent, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

SonglistEditor::SonglistEditor(const SonglistEditorServices& services,
                               const std::string& presetPath, QWidget* parent)
    : QDialog(parent), services_(services) {
    BuildMenu();
    previousTarget_ = services_.monitors.SetMessageTarget(this);
    setAcceptDrops(true);
    BuildControls();
    tree_->AddDrives(services_.drives, kAllDrives);

    std::string folder = services_.registry.String(settings::kSonglistFolder);
    if (folder.empty() || !IsFolder(folder)) {
        folder = HomeFolder();
    }
    tree_->ExpandToPath(WithTrailingSlash(folder));

    path_ = presetPath.empty() ? services_.registry.String(settings::kSonglist) : presetPath;
    if (path_.empty() || !FileExists(path_)) {
        StartNew();
    }
    Load();
}

SonglistEditor::~SonglistEditor() {
    Close();
}

void SonglistEditor::BuildMenu() {
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    connect(file->addAction(QStringLiteral("New")), &QAction::triggered, this,
            &SonglistEditor::New);
    connect(file->addAction(QStringLiteral("Open")), &QAction::triggered, this,
            &SonglistEditor::Open);
    connect(file->addAction(QStringLiteral("Save")), &QAction::triggered, this, [this] { Save(); });
    connect(file->addAction(QStringLiteral("Save As")), &QAction::triggered, this,
            [this] { SaveAs(); });
    connect(file->addAction(QStringLiteral("Exit")), &QAction::triggered, this,
            &SonglistEditor::Exit);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
}

void SonglistEditor::BuildControls() {
    tree_ = new FolderTree(services_.monitors, services_.box, this);
    tree_->SetMenuFilter([this](const QModelIndex& item) {
        return tree_->folders().DriveTypeOf(item) != DriveType::kCdRom;
    });
    connect(tree_, &FolderTree::FolderSelected, this,
            [this](const std::string& folder) { OnFolderSelected(folder); });
    auto* mounts = new MountWatcher(this);
    connect(mounts, &MountWatcher::DriveArrived, this, [this](const Drive& drive) {
        tree_->DriveArrived(drive);
        CheckPresence();
    });
    connect(mounts, &MountWatcher::DriveRemoved, this, [this](const Drive& drive) {
        tree_->DriveRemoved(drive);
        CheckPresence();
    });
    tree_->FollowShares(*mounts);

    const auto makeList = [this] {
        auto* list = new QListWidget(this);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setUniformItemSizes(true);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        QPalette colours = list->palette();
        colours.setColor(QPalette::Base, kBackground);
        colours.setColor(QPalette::Text, Qt::black);
        list->setPalette(colours);
        return list;
    };
    sources_ = makeList();
    sources_->viewport()->installEventFilter(this);
    songs_ = makeList();
    caption_ = new QLabel(QStringLiteral("Song list."), this);

    QPushButton* clearSel = Button(this, "Clear sel");
    QPushButton* addAll = Button(this, "Add all >>");
    QPushButton* add = Button(this, "Add >>");
    QPushButton* remove = Button(this, "<< Remove");
    QPushButton* up = Button(this, "Move up");
    QPushButton* down = Button(this, "Move down");
    QPushButton* clearAll = Button(this, "Clear all");
    view_ = Button(this, "Detail");
    QPushButton* exit = Button(this, "Exit");
    connect(clearSel, &QPushButton::clicked, this, &SonglistEditor::ClearSelection);
    connect(addAll, &QPushButton::clicked, this, &SonglistEditor::AddAll);
    connect(add, &QPushButton::clicked, this, &SonglistEditor::Add);
    connect(remove, &QPushButton::clicked, this, &SonglistEditor::Remove);
    connect(up, &QPushButton::clicked, this, &SonglistEditor::MoveUp);
    connect(down, &QPushButton::clicked, this, &SonglistEditor::MoveDown);
    connect(clearAll, &QPushButton::clicked, this, &SonglistEditor::ClearAll);
    connect(view_, &QPushButton::clicked, this, &SonglistEditor::ToggleView);
    connect(exit, &QPushButton::clicked, this, &SonglistEditor::Exit);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {clearSel, addAll, add, remove, up, down, clearAll, view_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    buttons->addWidget(exit);

    auto* grid = new QGridLayout;
    grid->addWidget(tree_, 0, 0, 2, 1);
    grid->addWidget(sources_, 0, 1, 2, 1);
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->addWidget(caption_, 0, 3);
    grid->addWidget(songs_, 1, 3);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 3);
    grid->setRowStretch(1, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
    resize(1100, 560);
}

void SonglistEditor::ShowTitle() {
    setWindowTitle(QStringLiteral("SongList - ") + FromBytes(path_));
}

// Source folder and file list.

void SonglistEditor::OnFolderSelected(const std::string& folder) {
    folder_ = folder;
    ListFiles();
}

void SonglistEditor::ListFiles() {
    ListFolderInto(*sources_, services_.monitors, folder_, "*.*", listing_);
}

bool SonglistEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sources_->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && !folder_.empty()) {
        ExploreFolder(folder_);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The song list.

void SonglistEditor::Load() {
    std::vector<std::string> paths;
    ReadPlaylist(path_, paths, true);
    work_.Clear();
    entries_.Set(paths);
    ShowList();
    ShowTitle();
}

void SonglistEditor::ShowList() {
    songs_->setUpdatesEnabled(false);
    songs_->clear();
    for (size_t row = 0; row < entries_.size(); ++row) {
        songs_->addItem(FromBytes(entries_.LineText(row, detail_)));
    }
    songs_->setUpdatesEnabled(true);
    ShowCaption();
    MeasureMissing();
}

void SonglistEditor::ShowRows(const std::vector<int>& rows) {
    for (int row : rows) {
        if (QListWidgetItem* item = songs_->item(row)) {
            item->setText(FromBytes(entries_.LineText(size_t(row), detail_)));
        }
    }
    ShowCaption();
}

void SonglistEditor::ShowCaption() {
    caption_->setText(QString::fromStdString(SonglistCaption(entries_.TotalMs())));
}

void SonglistEditor::MeasureMissing() {
    const MediaLengthFn measure = services_.measure;
    for (const std::string& path : entries_.TakeUnmeasured()) {
        work_.Post([this, path, measure]() -> WorkQueue::Completion {
            const int32_t length = measure(path);
            return [this, path, length] { LengthArrived(path, length); };
        });
    }
}

void SonglistEditor::LengthArrived(const std::string& path, int32_t lengthMs) {
    Apply(entries_.LengthArrived(path, lengthMs));
}

void SonglistEditor::Apply(const SonglistEntries::Arrival& arrival) {
    for (const std::string& path : arrival.rejected) {
        if (FolderPart(path) != folder_) {
            continue;
        }
        const std::string name = FileNamePart(path);
        for (int row = 0; row < sources_->count(); ++row) {
            QListWidgetItem* item = sources_->item(row);
            if (ListedName(*item) == name) {
                item->setSelected(false);
            }
        }
    }
    if (arrival.keptCandidate && !addFolder_.empty()) {
        services_.registry.SetString(settings::kSonglistFolder, addFolder_);
    }
    if (arrival.rowsRemoved) {
        const std::set<int> selected = SelectedSongs();
        ShowList();
        SelectSongs(selected);
    } else {
        ShowRows(arrival.changedRows);
    }
}

std::set<int> SonglistEditor::SelectedSongs() const {
    std::set<int> rows;
    for (const QModelIndex& index : songs_->selectionModel()->selectedIndexes()) {
        rows.insert(index.row());
    }
    return rows;
}

void SonglistEditor::SelectSongs(const std::set<int>& rows) {
    for (int row : rows) {
        if (QListWidgetItem* item = songs_->item(row)) {
            item->setSelected(true);
        }
    }
}

void SonglistEditor::AddAll() {
    std::vector<std::string> paths;
    for (int row = 0; row < sources_->count(); ++row) {
        paths.push_back(folder_ + ListedName(*sources_->item(row)));
    }
    if (paths.empty()) {
        return;
    }
    addFolder_ = folder_;
    const SonglistEntries::Arrival arrival = entries_.AddAfterSelection(paths, SelectedSongs());
    ShowList();
    Apply(arrival);
}

void SonglistEditor::Add() {
    std::vector<std::string> paths;
    for (int row = 0; row < sources_->count(); ++row) {
        if (sources_->item(row)->isSelected()) {
            paths.push_back(folder_ + ListedName(*sources_->item(row)));
        }
    }
    if (paths.empty()) {
        services_.box.Show("Select a sample to add.", mb::kOk | mb::kIconExclamation);
        return;
    }
    addFolder_ = folder_;
    const SonglistEntries::Arrival arrival = entries_.AddBeforeSelection(paths, SelectedSongs());
    ShowList();
    Apply(arrival);
}

void SonglistEditor::Remove() {
    const std::set<int> selected = SelectedSongs();
    if (selected.empty()) {
        services_.box.Show("Select a sample to remove\nfrom the song list.",
                           mb::kOk | mb::kIconExclamation);
        return;
    }
    entries_.Remove(selected);
    ShowList();
}

void SonglistEditor::MoveUp() {
    const std::set<int> selected = SelectedSongs();
    if (selected.empty()) {
        services_.box.Show("Select a sample to move.", mb::kOk | mb::kIconExclamation);
        return;
    }
    const std::set<int> moved = entries_.MoveUp(selected);
    ShowList();
    SelectSongs(moved);
}

void SonglistEditor::MoveDown() {
    const std::set<int> selected = SelectedSongs();
    if (selected.empty()) {
        services_.box.Show("Select a sample to move.", mb::kOk | mb::kIconExclamation);
        return;
    }
    const std::set<int> moved = entries_.MoveDown(selected);
    ShowList();
    SelectSongs(moved);
}

void SonglistEditor::ClearAll() {
    entries_.Clear();
    ShowList();
}

void SonglistEditor::ClearSelection() {
    sources_->clearSelection();
}

void SonglistEditor::ToggleView() {
    detail_ = !detail_;
    view_->setText(detail_ ? QStringLiteral("Simple") : QStringLiteral("Detail"));
    const std::set<int> selected = SelectedSongs();
    ShowList();
    SelectSongs(selected);
}

// Files.

void SonglistEditor::WaitUntilSettled() {
    if (entries_.Settled()) {
        return;
    }
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    while (!entries_.Settled() && work_.Pending() > 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, kWaitSliceMs);
    }
    QApplication::restoreOverrideCursor();
    setEnabled(true);
}

bool SonglistEditor::WaitForLengths(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!entries_.AllMeasured() && work_.Pending() > 0 && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, kWaitSliceMs);
    }
    return entries_.AllMeasured();
}

bool SonglistEditor::ConfirmChanges() {
    WaitUntilSettled();
    std::vector<std::string> inFile;
    ReadPlaylist(path_, inFile, true);
    if (SameSonglist(inFile, entries_.Paths())) {
        return true;
    }
    const int answer = services_.box.Show("Do you want to save the\nchanges made to this songlist?",
                                          mb::kYesNoCancel | mb::kIconQuestion | mb::kDefault3);
    if (answer == kResultYes) {
        return Save();
    }
    return answer == kResultNo;
}

void SonglistEditor::StartNew() {
    const std::string folder = path_.empty() ? folder_ : FolderPart(path_);
    path_ = NewSonglistPath(folder.empty() ? HomeFolder() : folder);
    work_.Clear();
    entries_.Clear();
    ShowTitle();
    ShowList();
}

void SonglistEditor::New() {
    if (ConfirmChanges()) {
        StartNew();
    }
}

void SonglistEditor::Open() {
    if (!ConfirmChanges()) {
        return;
    }
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kOpen;
    request.okCaption = "Open";
    request.title = "Open songlist file.";
    request.pattern = "*.*";
    request.initialPath = path_;
    const FileDialogResult result = services_.files.Run(request);
    RestartMonitors();
    if (!result.ok) {
        return;
    }
    path_ = result.Path();
    Load();
    services_.registry.SetString(settings::kSonglist, path_);
}

bool SonglistEditor::Save() {
    if (!EndsInM3u(path_)) {
        return SaveAs();
    }
    WaitUntilSettled();
    const int error = WriteSonglist(path_, entries_.Paths());
    if (error != 0) {
        // Nothing counts as saved: Exit asks again rather than lose the list.
        services_.box.Show(SystemErrorReport(path_, error), mb::kOk | mb::kIconStop);
        return false;
    }
    ShowTitle();
    services_.registry.SetString(settings::kSonglist, path_);
    if (services_.saved) {
        services_.saved(path_, entries_.known());
    }
    // The opener re-lists its folder once it is the target again: it
    // would move the one folder monitor away from ours now.
    openerFolderChanged_ = true;
    return true;
}

bool SonglistEditor::SaveAs() {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kSave;
    request.okCaption = "Save";
    request.title = "Save songlist file as.";
    request.pattern = "*.m3u";
    const std::string folder = path_.empty() ? folder_ : FolderPart(path_);
    const std::string name = path_.empty() ? std::string() : FileNamePart(path_);
    request.initialPath = folder + (name.empty() ? std::string() : StripExtension(name) + ".m3u");
    const FileDialogResult result = services_.files.Run(request);
    RestartMonitors();
    if (!result.ok) {
        return false;
    }
    path_ = result.Path();
    return Save();
}

void SonglistEditor::Exit() {
    if (ConfirmChanges()) {
        accept();
    }
}

void SonglistEditor::reject() {
    Exit();
}

void SonglistEditor::CopyIn(const std::vector<std::string>& files) {
    if (folder_.empty() || files.empty()) {
        return;
    }
    CopyFilesInto(services_.copier, services_.monitors, files, folder_, [this] { ListFiles(); });
    ListFiles();
}

void SonglistEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void SonglistEditor::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    CopyIn(DroppedFiles(*event->mimeData()));
}

void SonglistEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && services_.help) {
        services_.help(kHelpTopic);
        return;
    }
    QDialog::keyPressEvent(event);
}

// Folder and drive events.

void SonglistEditor::FolderChanged() {
    if (IsFolder(folder_)) {
        ListFiles();
    }
    CheckPresence();
}

void SonglistEditor::DriveChanged(const std::string& root) {
    tree_->RefreshDrive(root);
    CheckPresence();
}

void SonglistEditor::CheckPresence() {
    if (presencePending_) {
        presenceAgain_ = true;
        return;
    }
    std::vector<std::string> paths = entries_.Paths();
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    if (paths.empty()) {
        return;
    }
    presencePending_ = true;
    work_.Post([this, paths = std::move(paths)]() -> WorkQueue::Completion {
        std::vector<std::pair<std::string, bool>> presence;
        presence.reserve(paths.size());
        for (const std::string& path : paths) {
            presence.emplace_back(path, FileExists(path));
        }
        return [this, presence = std::move(presence)] { PresenceKnown(presence); };
    });
}

void SonglistEditor::PresenceKnown(const std::vector<std::pair<std::string, bool>>& presence) {
    presencePending_ = false;
    // A file that went is marked, never dropped: an unplugged drive must
    // not make the next save lose its songs. One that came back is
    // measured again.
    bool returned = false;
    for (const auto& [path, exists] : presence) {
        const SonglistEntries::Lengths& known = entries_.known();
        const auto found = known.find(path);
        if (!exists) {
            if (found == known.end() || found->second != 0) {
                Apply(entries_.LengthArrived(path, 0));
            }
        } else if (found != known.end() && found->second == 0) {
            entries_.Remeasure(path);
            returned = true;
        }
    }
    if (returned) {
        const std::set<int> selected = SelectedSongs();
        ShowList();
        SelectSongs(selected);
    }
    MeasureMissing();
    if (std::exchange(presenceAgain_, false)) {
        CheckPresence();
    }
}

void SonglistEditor::RestartMonitors() {
    // The file dialog stopped every monitor when it closed; the roots shown
    // now count (drives come and go, and the shares are roots too).
    services_.monitors.RestartForMask(tree_->folders().Drives(), kAllDrives, folder_);
}

void SonglistEditor::done(int code) {
    Close();
    QDialog::done(code);
}

void SonglistEditor::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    work_.Clear();
    tree_->CancelScan();
    services_.monitors.StopAll();
    services_.monitors.SetMessageTarget(previousTarget_);
    if (openerFolderChanged_ && previousTarget_) {
        previousTarget_->FolderChanged();
    }
}

std::optional<std::string> RunSonglistEditor(const SonglistEditorServices& services,
                                             const std::string& presetPath, QWidget* parent) {
    SonglistEditor editor(services, presetPath, parent);
    editor.exec();
    if (editor.currentPath().empty() || !FileExists(editor.currentPath())) {
        return std::nullopt;
    }
    return editor.currentPath();
}

}  // namespace tamberline
