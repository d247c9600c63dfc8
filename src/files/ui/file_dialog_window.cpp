#include "files/ui/file_dialog_window.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <ctime>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "files/dialog_rules.h"
#include "files/file_copier.h"
#include "files/mount_watcher.h"
#include "files/path_text.h"
#include "files/ui/copy_in.h"
#include "files/ui/folder_tree.h"

namespace tamberline {

namespace {

const QColor kBackground(224, 224, 224);

// "%d.%m.%Y  %H:%M", and "  RO" for a file the operator cannot write.
QString DateText(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    std::tm local{};
    ::localtime_r(&info.st_mtim.tv_sec, &local);
    char text[32];
    const size_t length = std::strftime(text, sizeof text, "%d.%m.%Y  %H:%M", &local);
    std::string date(text, length);
    if (::access(path.c_str(), W_OK) != 0) {
        date += "  RO";
    }
    return QString::fromStdString(date);
}

// The item's raw name: display texts may have lost bytes that are not
// valid UTF-8.
constexpr int kNameRole = Qt::UserRole;

}  // namespace

FileDialogWindow::FileDialogWindow(const FileDialogRequest& request, const Services& services,
                                   QWidget* parent)
    : QDialog(parent),
      request_(request),
      box_(services.box),
      monitors_(services.monitors),
      copier_(services.copier),
      order_(request.order == FileDialogRequest::Order::kByDate ? ListOrder::kByDate
                                                                : ListOrder::kNatural) {
    previousTarget_ = monitors_.SetMessageTarget(this);
    setWindowTitle(FromBytes(request.title));
    setAcceptDrops(true);
    BuildControls();

    tree_->AddDrives(services.drives, request.driveTypeMask);
    const std::string& initial = request.initialPath;
    const bool folderOnly = !initial.empty() && IsPathSeparator(initial.back());
    initialName_ = folderOnly ? std::string() : FileNamePart(initial);
    const bool save = request.mode == FileDialogRequest::Mode::kSave;
    nameLabel_->setVisible(save);
    nameEdit_->setVisible(save);
    if (save) {
        nameEdit_->setText(FromBytes(initialName_));
    }
    const bool preserve =
        request.sessionCheck ? SessionHasFolderStructure(initial) : request.preserveFolderStructure;
    ShowPreserve(preserve);
    const std::string initialFolder = folderOnly ? initial : FolderPart(initial);
    if (!initialFolder.empty()) {
        tree_->ExpandToPath(initialFolder);
    }
}

FileDialogWindow::~FileDialogWindow() {
    Close();
}

void FileDialogWindow::BuildControls() {
    tree_ = new FolderTree(monitors_, box_, this);
    tree_->SetStatusSink(
        [this](const std::string& text) { status_->setText(QString::fromStdString(text)); });
    // No folder commands on a CD-ROM.
    tree_->SetMenuFilter([this](const QModelIndex& item) {
        return tree_->folders().DriveTypeOf(item) != DriveType::kCdRom;
    });
    connect(tree_, &FolderTree::FolderSelected, this,
            [this](const std::string& folder) { OnFolderSelected(folder); });
    auto* mounts = new MountWatcher(this);
    connect(mounts, &MountWatcher::DriveArrived, tree_, &FolderTree::DriveArrived);
    connect(mounts, &MountWatcher::DriveRemoved, tree_, &FolderTree::DriveRemoved);
    tree_->FollowShares(*mounts);

    list_ = new QTreeWidget(this);
    list_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Date")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    QPalette colours = list_->palette();
    colours.setColor(QPalette::Base, kBackground);
    colours.setColor(QPalette::Text, Qt::black);
    list_->setPalette(colours);
    list_->header()->setSectionsClickable(true);
    list_->header()->setStretchLastSection(false);
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        SetOrder(section == 1 ? ListOrder::kByDate : ListOrder::kNatural);
    });
    connect(list_, &QTreeWidget::itemClicked, this, [this] { OnFileChosen(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { AcceptChoice(); });

    nameLabel_ = new QLabel(QStringLiteral("File name :"), this);
    nameEdit_ = new QLineEdit(this);
    connect(nameEdit_, &QLineEdit::returnPressed, this, &FileDialogWindow::AcceptChoice);
    preserve_ = new QCheckBox(QStringLiteral("Preserve folder structure"), this);
    status_ = new QLabel(this);
    ok_ = new QPushButton(FromBytes(request_.okCaption.substr(0, 9)), this);
    ok_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &FileDialogWindow::AcceptChoice);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &FileDialogWindow::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(tree_, 0, 0, 1, 2);
    layout->addWidget(list_, 0, 2, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 2);
    layout->addWidget(nameLabel_, 1, 0);
    layout->addWidget(nameEdit_, 1, 1, 1, 3);
    layout->addWidget(preserve_, 2, 0, 1, 2);
    layout->addWidget(status_, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 3, 0, 1, 4);
    resize(960, 520);
}

void FileDialogWindow::ShowPreserve(bool shown) {
    preserve_->setVisible(shown);
    preserve_->setChecked(shown);
}

void FileDialogWindow::OnFolderSelected(const std::string& folder) {
    folder_ = folder;
    ListFiles();
}

void FileDialogWindow::SetOrder(ListOrder order) {
    order_ = order;
    ListFiles();
}

void FileDialogWindow::ListFiles() {
    if (listing_) {
        relistPending_ = true;
        return;
    }
    monitors_.StopFolderMonitor();
    list_->clear();
    if (folder_.empty()) {
        return;
    }
    listing_ = true;
    cancelled_ = false;
    bool disabled = false;
    const FolderScan scan =
        ListFolderFiles(folder_, request_.pattern, order_, [this, &disabled](int seen) {
            status_->setText(QStringLiteral("Searching %1").arg(seen));
            if (!disabled) {
                tree_->setEnabled(false);
                disabled = true;
            }
            QCoreApplication::processEvents();
            return !cancelled_;
        });
    if (disabled) {
        tree_->setEnabled(true);
    }
    status_->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(scan.names.size()));
    QTreeWidgetItem* initial = nullptr;
    for (const std::string& name : scan.names) {
        auto* row = new QTreeWidgetItem({FromBytes(name), DateText(folder_ + name)});
        row->setData(0, kNameRole, QByteArray::fromStdString(name));
        if (name == initialName_ && !initial) {
            initial = row;
        }
        rows.append(row);
    }
    list_->addTopLevelItems(rows);
    if (initial) {
        list_->setCurrentItem(initial);
        list_->scrollToItem(initial);
    }
    ResizeColumns();
    listing_ = false;
    if (!cancelled_) {
        monitors_.StartFolderMonitor(folder_);
    }
    if (std::exchange(relistPending_, false) && !cancelled_) {
        ListFiles();
    }
}

void FileDialogWindow::ResizeColumns() {
    const int width = list_->viewport()->width();
    list_->setColumnWidth(0, width * 3 / 4);
    list_->setColumnWidth(1, width - width * 3 / 4);
}

void FileDialogWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ResizeColumns();
}

void FileDialogWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ResizeColumns();
}

void FileDialogWindow::OnFileChosen() {
    QTreeWidgetItem* row = list_->currentItem();
    if (!row) {
        return;
    }
    const std::string name = row->data(0, kNameRole).toByteArray().toStdString();
    if (request_.mode == FileDialogRequest::Mode::kSave) {
        nameEdit_->setText(FromBytes(name));
        nameEdit_->selectAll();
        nameEdit_->setFocus();
    } else if (request_.sessionCheck) {
        ShowPreserve(SessionHasFolderStructure(folder_ + name));
    }
}

void FileDialogWindow::AcceptChoice() {
    if (folder_.empty()) {
        reject();
        return;
    }
    if (request_.mode == FileDialogRequest::Mode::kSave) {
        AcceptSave();
    } else {
        AcceptOpen();
    }
}

void FileDialogWindow::AcceptOpen() {
    QTreeWidgetItem* row = list_->currentItem();
    if (!row || !row->isSelected()) {
        return;
    }
    const std::string name = row->data(0, kNameRole).toByteArray().toStdString();
    if (request_.playlistOnly && !IsPlaylistName(name)) {
        list_->clearSelection();
        list_->setCurrentItem(nullptr);
        return;
    }
    if (IsTooLongForPathField(folder_ + name)) {
        box_.Show(TooLongMessage(folder_ + name), mb::kOk | mb::kIconStop);
        return;
    }
    Finish(name);
}

void FileDialogWindow::AcceptSave() {
    const std::string text = ToBytes(nameEdit_->text());
    if (text.empty()) {
        return;
    }
    if (const std::string refusal = NameRefusal(text); !refusal.empty()) {
        box_.Show(refusal, mb::kOk | mb::kIconStop);
        return;
    }
    const std::string name = WithDefaultExtension(text, request_.pattern);
    if (IsTooLongForPathField(folder_ + name)) {
        box_.Show(TooLongMessage(folder_ + name), mb::kOk | mb::kIconStop);
        return;
    }
    if (ConfirmReplace(box_, folder_, name)) {
        Finish(name);
    }
}

void FileDialogWindow::Finish(const std::string& name) {
    result_.ok = true;
    result_.folder = folder_;
    result_.fileName = name;
    result_.preserveFolderStructure = preserve_->isChecked();
    accept();
}

void FileDialogWindow::CopyIn(const std::vector<std::string>& files) {
    if (folder_.empty() || files.empty()) {
        return;
    }
    CopyFilesInto(copier_, monitors_, files, folder_, [this] { ListFiles(); });
    ListFiles();
}

void FileDialogWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void FileDialogWindow::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    CopyIn(DroppedFiles(*event->mimeData()));
}

void FileDialogWindow::FolderChanged() {
    if (IsFolder(folder_)) {
        ListFiles();
    }
}

void FileDialogWindow::DriveChanged(const std::string& root) {
    tree_->RefreshDrive(root);
}

void FileDialogWindow::done(int code) {
    Close();
    QDialog::done(code);
}

void FileDialogWindow::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    cancelled_ = true;
    tree_->CancelScan();
    monitors_.StopAll();
    monitors_.SetMessageTarget(previousTarget_);
}

}  // namespace tamberline
