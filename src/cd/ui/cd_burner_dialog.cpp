#include "cd/ui/cd_burner_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <thread>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "cd/burn_list_file.h"
#include "cd/image_recorder.h"
#include "cd/libburn_recorder.h"
#include "cd/wav_check.h"
#include "files/external_editor.h"
#include "files/folder_listing.h"
#include "files/mount_watcher.h"
#include "files/path_text.h"
#include "files/ui/copy_in.h"
#include "files/ui/folder_file_list.h"
#include "files/ui/folder_tree.h"
#include "help/help_topics.h"
#include "session/disk_file.h"
#include "session/registry.h"

namespace tamberline {

std::string BurnListPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
           "/Tamberline/Burnlist.abl";
}

namespace {

const QColor kBackground(224, 224, 224);

QPushButton* Button(QWidget* parent, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CdBurnerDialog::CdBurnerDialog(const CdDialogServices& services, QWidget* parent)
    : QDialog(parent),
      services_(services),
      controller_(services.box, *this, [this](std::function<void()> fn) {
          QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
      }) {
    setWindowTitle(QStringLiteral("CD Burner."));
    previousTarget_ = services_.monitors.SetMessageTarget(this);
    setAcceptDrops(true);
    Build();

    // Every recorder is its own object bound to its drive, so the line
    // chosen is the drive that burns whatever the scan skipped.
    recorders_ = services_.recorders ? services_.recorders() : ScanLibburnRecorders();
    recorders_.push_back(
        std::make_unique<ImageRecorder>(services_.registry.String(settings::kCdImage)));
    for (const auto& r : recorders_) {
        recorderList_->addItem(FromBytes(r->Name()));
    }
    const int chosen = static_cast<int>(services_.registry.Dword(settings::kBurnDrive));
    recorderList_->setCurrentIndex(chosen < recorderList_->count() ? chosen : 0);

    tree_->AddDrives(services_.drives, kCdToolDrives);
    std::string folder = services_.registry.String(settings::kBurnFolder);
    if (folder.empty() || !IsFolder(folder)) {
        folder = WithTrailingSlash(ToBytes(QDir::homePath()));
    }
    tree_->ExpandToPath(WithTrailingSlash(folder));

    listPath_ = services_.burnListPath.empty() ? BurnListPath() : services_.burnListPath;
    list_ = LoadBurnList(listPath_);
    list_.Revalidate(CheckWavFile, false);
    loaded_ = true;
    Refresh();
}

CdBurnerDialog::~CdBurnerDialog() {
    Close();
}

void CdBurnerDialog::Build() {
    tree_ = new FolderTree(services_.monitors, services_.box, this);
    connect(tree_, &FolderTree::FolderSelected, this, [this](const std::string& folder) {
        folder_ = folder;
        ListSource();
    });
    auto* mounts = new MountWatcher(this);
    connect(mounts, &MountWatcher::DriveArrived, tree_, &FolderTree::DriveArrived);
    connect(mounts, &MountWatcher::DriveRemoved, tree_, &FolderTree::DriveRemoved);

    const auto makeList = [this] {
        auto* list = new QListWidget(this);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        QPalette colours = list->palette();
        colours.setColor(QPalette::Base, kBackground);
        colours.setColor(QPalette::Text, Qt::black);
        list->setPalette(colours);
        return list;
    };
    source_ = makeList();
    source_->viewport()->installEventFilter(this);
    burnList_ = makeList();

    QPushButton* clearSel = Button(this, "Clear sel");
    QPushButton* addAll = Button(this, "Add all >>");
    QPushButton* add = Button(this, "Add >>");
    QPushButton* remove = Button(this, "<< Remove");
    QPushButton* up = Button(this, "Move up");
    QPushButton* down = Button(this, "Move down");
    QPushButton* clearAll = Button(this, "Clear all");
    recorderList_ = new QComboBox(this);
    burn_ = Button(this, "Burn");
    cancel_ = Button(this, "Cancel");
    QPushButton* exit = Button(this, "Exit");
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    capacity_ = new QLabel(QStringLiteral("Burn list."), this);
    status_ = new QLabel(this);
    cancel_->hide();
    progress_->hide();

    auto* middle = new QVBoxLayout;
    for (QPushButton* b : {clearSel, addAll, add, remove, up, down, clearAll}) {
        middle->addWidget(b);
    }
    middle->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addWidget(tree_, 0, 0, 2, 1);
    grid->addWidget(source_, 0, 1, 2, 1);
    grid->addLayout(middle, 0, 2, 2, 1);
    grid->addWidget(capacity_, 0, 3);
    grid->addWidget(burnList_, 1, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(recorderList_, 1);
    bottom->addWidget(burn_);
    bottom->addWidget(cancel_);
    bottom->addWidget(exit);
    grid->addLayout(bottom, 2, 0, 1, 4);
    grid->addWidget(progress_, 3, 0, 1, 4);
    grid->addWidget(status_, 4, 0, 1, 4);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 3);
    grid->setRowStretch(1, 1);
    resize(1000, 520);
    editing_ = {addAll, add, remove, up, down, clearAll, burn_, recorderList_};

    connect(clearSel, &QPushButton::clicked, source_, &QListWidget::clearSelection);
    connect(addAll, &QPushButton::clicked, this, &CdBurnerDialog::AddAll);
    connect(add, &QPushButton::clicked, this, &CdBurnerDialog::Add);
    connect(remove, &QPushButton::clicked, this, &CdBurnerDialog::Remove);
    connect(up, &QPushButton::clicked, this, &CdBurnerDialog::MoveUp);
    connect(down, &QPushButton::clicked, this, &CdBurnerDialog::MoveDown);
    connect(clearAll, &QPushButton::clicked, this, &CdBurnerDialog::ClearAll);
    connect(burn_, &QPushButton::clicked, this, &CdBurnerDialog::Burn);
    connect(cancel_, &QPushButton::clicked, this, &CdBurnerDialog::Cancel);
    connect(exit, &QPushButton::clicked, this, &CdBurnerDialog::reject);
}

// The source folder.

void CdBurnerDialog::ListSource() {
    ListFolderInto(*source_, services_.monitors, folder_, "*.wav", listing_);
}

void CdBurnerDialog::FolderChanged() {
    if (IsFolder(folder_)) {
        ListSource();
    }
    // Which tracks' files are gone is asked off the GUI thread: a slot may
    // point at a network share that no longer answers.
    std::vector<std::string> paths;
    for (const BurnSlot& slot : list_.tracks()) {
        paths.push_back(slot.path);
    }
    if (paths.empty()) {
        return;
    }
    std::thread([paths = std::move(paths), guard = QPointer<CdBurnerDialog>(this)] {
        std::vector<std::string> missing;
        for (const std::string& path : paths) {
            if (!FileExists(path)) {
                missing.push_back(path);
            }
        }
        if (missing.empty()) {
            return;
        }
        QMetaObject::invokeMethod(
            qApp,
            [guard, missing] {
                if (guard) {
                    guard->DropVanished(missing);
                }
            },
            Qt::QueuedConnection);
    }).detach();
}

void CdBurnerDialog::DropVanished(const std::vector<std::string>& missing) {
    // The list is left alone while it is being burnt: the burn holds its
    // own copy, and the slots must not move under the progress lines.
    if (controller_.busy() || closed_) {
        return;
    }
    const std::vector<int> dropped = list_.DropMissing([&missing](const std::string& path) {
        return std::find(missing.begin(), missing.end(), path) == missing.end();
    });
    if (dropped.empty()) {
        return;
    }
    Refresh();
    const int row = std::min(dropped.front(), burnList_->count() - 1);
    if (row >= 0) {
        burnList_->item(row)->setSelected(true);
        burnList_->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    }
}

void CdBurnerDialog::DriveChanged(const std::string& root) {
    tree_->RefreshDrive(root);
}

bool CdBurnerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == source_->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && !folder_.empty()) {
        if (services_.explore) {
            services_.explore(folder_);
        } else {
            ExploreFolder(folder_);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CdBurnerDialog::CopyIn(const std::vector<std::string>& files) {
    if (folder_.empty() || files.empty()) {
        return;
    }
    CopyFilesInto(services_.copier, services_.monitors, files, folder_, [this] { ListSource(); });
    ListSource();
}

void CdBurnerDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CdBurnerDialog::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    CopyIn(DroppedFiles(*event->mimeData()));
}

void CdBurnerDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && services_.help) {
        services_.help(std::string(help::kCdBurner));
        return;
    }
    QDialog::keyPressEvent(event);
}

// The burn list.

std::set<int> CdBurnerDialog::SelectedRows() const {
    std::set<int> rows;
    for (const QModelIndex& i : burnList_->selectionModel()->selectedRows()) {
        rows.insert(i.row());
    }
    return rows;
}

void CdBurnerDialog::AddNames(bool all) {
    if (list_.full()) {
        services_.box.Show(kBurnListFullText, mb::kOk | mb::kIconExclamation);
        return;
    }
    std::vector<std::string> names;
    std::vector<QListWidgetItem*> items;
    for (int i = 0; i < source_->count(); ++i) {
        QListWidgetItem* item = source_->item(i);
        if (all || item->isSelected()) {
            names.push_back(ListedName(*item));
            items.push_back(item);
        }
    }
    if (!all && names.empty()) {
        services_.box.Show(kSelectToAddText, mb::kOk | mb::kIconExclamation);
        return;
    }
    const std::set<int> rows = SelectedRows();
    std::optional<int> at;
    if (!all && !rows.empty()) {
        at = *rows.begin();
    }
    const BurnList::AddResult result = list_.Add(folder_, names, at, CheckWavFile);
    if (!all) {
        for (int index : result.invalid) {
            items[static_cast<size_t>(index)]->setSelected(false);
        }
    }
    Refresh();
    if (const std::string text = BurnList::AddMessage(result); !text.empty()) {
        services_.box.Show(text, mb::kOk | mb::kIconExclamation);
    }
    if (result.added > 0) {
        services_.registry.SetString(settings::kBurnFolder, folder_);
    }
}

void CdBurnerDialog::Remove() {
    const std::set<int> rows = SelectedRows();
    if (rows.empty()) {
        services_.box.Show(kSelectToRemoveText, mb::kOk | mb::kIconExclamation);
        return;
    }
    list_.Remove(rows);
    Refresh();
}

void CdBurnerDialog::Move(bool up) {
    const std::set<int> rows = SelectedRows();
    if (rows.empty()) {
        services_.box.Show(kSelectToMoveText, mb::kOk | mb::kIconExclamation);
        return;
    }
    const std::set<int> moved = up ? list_.MoveUp(rows) : list_.MoveDown(rows);
    Refresh();
    for (int r : moved) {
        burnList_->item(r)->setSelected(true);
    }
}

void CdBurnerDialog::ClearAll() {
    list_.Clear();
    Refresh();
}

void CdBurnerDialog::Refresh() {
    burnList_->clear();
    for (const std::string& line : list_.Lines()) {
        burnList_->addItem(FromBytes(line));
    }
    capacity_->setText(QString::fromStdString(list_.CapacityLabel()));
    burn_->setEnabled(list_.totalBytes() != 0 && !controller_.busy());
}

// Burning.

bool CdBurnerDialog::ChooseImage(ImageRecorder& image) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kSave;
    request.driveTypeMask = kCdToolDrives;
    request.okCaption = "Save";
    request.title = "Save the disc image as.";
    request.pattern = "*.cue";
    request.initialPath = image.cuePath().empty() ? folder_ + "CD image.cue" : image.cuePath();
    const FileDialogResult result = services_.files.Run(request);
    // The file dialog stopped every monitor when it closed.
    services_.monitors.RestartForMask(tree_->folders().Drives(), kCdToolDrives, folder_);
    if (!result.ok) {
        return false;
    }
    std::string cue = result.Path();
    if (cue.size() < 4 || cue.compare(cue.size() - 4, 4, ".cue") != 0) {
        cue += ".cue";
    }
    // The dialog asked about the CUE sheet; the BIN beside it would be
    // replaced unseen.
    const std::string bin = cue.substr(0, cue.size() - 4) + ".bin";
    if (!FileExists(cue) && FileExists(bin) &&
        services_.box.Show(bin + "\n\nFile already exists.\nDo you want to replace it?",
                           mb::kYesNo | mb::kIconExclamation | mb::kDefault2) != kResultYes) {
        return false;
    }
    image.SetCuePath(cue);
    services_.registry.SetString(settings::kCdImage, cue);
    recorderList_->setItemText(recorderList_->currentIndex(), FromBytes(image.Name()));
    return true;
}

void CdBurnerDialog::Burn() {
    const int index = recorderList_->currentIndex();
    if (index < 0 || index >= static_cast<int>(recorders_.size())) {
        services_.box.Show("No CD recording devices found.", mb::kOk | mb::kIconStop);
        return;
    }
    Recorder& recorder = *recorders_[static_cast<size_t>(index)];
    if (auto* image = dynamic_cast<ImageRecorder*>(&recorder); image && !ChooseImage(*image)) {
        return;
    }
    controller_.Burn(recorder, list_, CheckWavFile);
    Refresh();
}

void CdBurnerDialog::SetStatus(const std::string& text) {
    status_->setText(FromBytes(text));
}

void CdBurnerDialog::SetProgress(int percent) {
    progress_->setValue(percent);
}

void CdBurnerDialog::SetBurning(bool burning) {
    for (QWidget* w : editing_) {
        w->setEnabled(!burning);
    }
    cancel_->setVisible(burning);
    progress_->setVisible(burning);
    if (!burning) {
        Refresh();
    }
}

// Closing.

void CdBurnerDialog::reject() {
    if (controller_.Exit()) {
        QDialog::reject();
    }
}

void CdBurnerDialog::done(int code) {
    Close();
    QDialog::done(code);
}

void CdBurnerDialog::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    controller_.Shutdown();
    // Written only when it was loaded, so a failed opening never
    // overwrites the saved list.
    if (loaded_) {
        SaveBurnList(listPath_, list_);
    }
    services_.registry.SetDword(settings::kBurnDrive,
                                static_cast<uint32_t>(std::max(recorderList_->currentIndex(), 0)));
    tree_->CancelScan();
    services_.monitors.StopAll();
    services_.monitors.SetMessageTarget(previousTarget_);
}

void RunCdBurner(const CdDialogServices& services, QWidget* parent) {
    CdBurnerDialog dialog(services, parent);
    dialog.exec();
}

}  // namespace tamberline
