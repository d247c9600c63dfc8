#include "setup/ui/sample_browser.h"

#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/message_box.h"
#include "files/file_copier.h"
#include "files/folder_listing.h"
#include "files/path_text.h"
#include "files/ui/copy_in.h"
#include "files/ui/folder_tree.h"

namespace tamberline {

namespace {

constexpr int kNameRole = Qt::UserRole;  // the raw bytes of the name

}  // namespace

SampleBrowser::SampleBrowser(const Services& services, bool multiSelect, QWidget* parent)
    : QWidget(parent), box_(services.box), monitors_(services.monitors), copier_(services.copier) {
    previousTarget_ = monitors_.SetMessageTarget(this);
    setAcceptDrops(true);
    tree_ = new FolderTree(monitors_, box_);
    tree_->AddDrives(services.drives, 1u << static_cast<int>(DriveType::kFixed));
    connect(tree_, &FolderTree::FolderSelected, this, [this](const std::string& folder) {
        folder_ = WithTrailingSlash(folder);
        ListFiles();
        emit FolderShown(folder_);
    });
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("fileList"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Date")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection
                                        : QAbstractItemView::SingleSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette colours = list_->palette();
    colours.setColor(QPalette::Base, QColor(0xE0, 0xE0, 0xE0));
    colours.setColor(QPalette::Text, Qt::black);
    list_->setPalette(colours);
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { OnItemClicked(item); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!marking_) {
            touched_ = true;
        }
    });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this] { emit ListContextRequested(); });
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(tree_);
    split->addWidget(list_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);
}

SampleBrowser::~SampleBrowser() {
    Close();
}

void SampleBrowser::Close() {
    if (std::exchange(closed_, true)) {
        return;
    }
    tree_->CancelScan();
    monitors_.StopFolderMonitor();
    monitors_.SetMessageTarget(previousTarget_);
}

void SampleBrowser::OpenAt(const std::string& folder) {
    if (!tree_->ExpandToPath(folder)) {
        folder_ = WithTrailingSlash(folder);
        ListFiles();
    }
}

void SampleBrowser::DriveChanged(const std::string& root) {
    tree_->RefreshDrive(root);
}

void SampleBrowser::ListFiles() {
    const std::vector<std::string> kept = SelectedNames();
    const bool touched = touched_;
    monitors_.StopFolderMonitor();
    list_->clear();
    if (folder_.empty()) {
        return;
    }
    const FolderScan scan = ListFolderFiles(folder_, "*.*", ListOrder::kNatural);
    QList<QTreeWidgetItem*> rows;
    for (const std::string& name : scan.names) {
        const QFileInfo info(FromBytes(folder_ + name));
        auto* row = new QTreeWidgetItem(
            {FromBytes(name), info.lastModified().toString(QStringLiteral("yyyy-MM-dd hh:mm"))});
        row->setData(0, kNameRole, QByteArray::fromStdString(name));
        rows.append(row);
    }
    list_->addTopLevelItems(rows);
    const int width = std::max(list_->viewport()->width(), 200);
    list_->setColumnWidth(0, width / 2);
    list_->setColumnWidth(1, width / 2);
    // A relisting keeps what was marked, and whether the operator chose it.
    MarkNames(kept);
    touched_ = touched;
    monitors_.StartFolderMonitor(folder_);
}

std::vector<std::string> SampleBrowser::SelectedNames() const {
    std::vector<std::string> names;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list_->topLevelItem(row);
        if (item->isSelected()) {
            names.push_back(item->data(0, kNameRole).toByteArray().toStdString());
        }
    }
    return names;
}

void SampleBrowser::MarkNames(const std::vector<std::string>& names, bool chosen) {
    marking_ = true;
    list_->clearSelection();
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        const std::string name = item->data(0, kNameRole).toByteArray().toStdString();
        if (std::find(names.begin(), names.end(), name) != names.end()) {
            item->setSelected(true);
        }
    }
    marking_ = false;
    touched_ = touched_ || chosen;
}

void SampleBrowser::ClearSelection() {
    list_->clearSelection();
    list_->setCurrentItem(nullptr);
}

void SampleBrowser::OnItemClicked(QTreeWidgetItem* item) {
    if (item && list_->selectionMode() == QAbstractItemView::SingleSelection) {
        emit FileChosen(folder_ + item->data(0, kNameRole).toByteArray().toStdString());
    }
}

void SampleBrowser::CopyIn(const std::vector<std::string>& files) {
    if (folder_.empty() || files.empty()) {
        return;
    }
    CopyFilesInto(copier_, monitors_, files, folder_, [this] { ListFiles(); });
    ListFiles();
}

void SampleBrowser::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void SampleBrowser::dropEvent(QDropEvent* event) {
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) {
            files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        }
    }
    event->acceptProposedAction();
    CopyIn(files);
}

}  // namespace tamberline
