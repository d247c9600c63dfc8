#include "cd/ui/cd_ripper_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <thread>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "cd/cd_disc.h"
#include "files/folder_listing.h"
#include "files/mount_watcher.h"
#include "files/path_text.h"
#include "files/ui/folder_tree.h"
#include "help/help_topics.h"
#include "session/disk_file.h"
#include "session/registry.h"

namespace tamberline {

namespace {

const char* const kOpenImage = "Disc image...";
const QColor kBackground(224, 224, 224);
const QColor kBusyBackground(192, 192, 192);

// The path a drive line stands for, kept apart from its display text.
constexpr int kSourceRole = Qt::UserRole;

QPushButton* Button(QWidget* parent, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setAutoDefault(false);
    return button;
}

void Colour(QWidget* widget, const QColor& background) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Base, background);
    colours.setColor(QPalette::Text, Qt::black);
    widget->setPalette(colours);
}

}  // namespace

CdRipperDialog::CdRipperDialog(const CdDialogServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(QStringLiteral("CD Ripper."));
    previousTarget_ = services_.monitors.SetMessageTarget(this);
    Build();
    Registry& registry = services_.registry;
    std::string folder = registry.String(settings::kRipFolder);
    if (folder.empty()) {
        folder = WithTrailingSlash(ToBytes(QDir::homePath()));
    }
    suppress_->setChecked(registry.Dword(settings::kRipNoGap) == kOnValue);

    // Real drives, the image the burner wrote last, and any image picked.
    std::vector<std::string> sources = services_.cdDrives ? services_.cdDrives() : ListCdDrives();
    const std::string image = registry.String(settings::kCdImage);
    if (!image.empty() && FileExists(image)) {
        sources.push_back(image);
    }
    for (const std::string& source : sources) {
        drives_->addItem(FromBytes(source), QByteArray::fromStdString(source));
    }
    drives_->addItem(QString::fromLatin1(kOpenImage));
    imageLine_ = drives_->count() - 1;
    const int chosen = static_cast<int>(registry.Dword(settings::kRipDrive));
    drives_->setCurrentIndex(chosen < imageLine_ ? chosen : 0);
    connect(drives_, &QComboBox::activated, this, &CdRipperDialog::ChooseDrive);

    tree_->AddDrives(services_.drives, kCdToolDrives);
    // The edit box keeps the stored folder even when the tree cannot show
    // it yet: the rip creates it.
    tree_->ExpandToPath(folder);
    folder_->setText(FromBytes(folder));
    if (drives_->currentIndex() != imageLine_) {
        ReadTracks();
    }
}

CdRipperDialog::~CdRipperDialog() {
    Close();
}

void CdRipperDialog::Build() {
    drives_ = new QComboBox(this);
    tracks_ = new QListWidget(this);
    Colour(tracks_, kBackground);
    QPushButton* all = Button(this, "Select All");
    QPushButton* none = Button(this, "Select None");
    QPushButton* refresh = Button(this, "Refresh");
    suppress_ = new QCheckBox(QStringLiteral("Suppress lead-in."), this);
    tree_ = new FolderTree(services_.monitors, services_.box, this);
    folder_ = new QLineEdit(this);
    QPushButton* eject = Button(this, "Eject");
    QPushButton* create = Button(this, "Create folder");
    rip_ = Button(this, "Rip");
    cancel_ = Button(this, "Cancel");
    QPushButton* exit = Button(this, "Exit");
    progress_ = new QProgressBar(this);
    status_ = new QLabel(this);
    cancel_->hide();
    progress_->hide();
    rip_->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(drives_, 0, 0, 1, 3);
    grid->addWidget(tracks_, 1, 0, 1, 3);
    grid->addWidget(all, 2, 0);
    grid->addWidget(none, 2, 1);
    grid->addWidget(refresh, 2, 2);
    grid->addWidget(suppress_, 3, 0, 1, 3);
    grid->addWidget(tree_, 0, 3, 3, 2);
    grid->addWidget(folder_, 3, 3, 1, 2);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {eject, create, rip_, cancel_, exit}) {
        bottom->addWidget(b);
    }
    grid->addLayout(bottom, 4, 0, 1, 5);
    grid->addWidget(progress_, 5, 0, 1, 5);
    grid->addWidget(status_, 6, 0, 1, 5);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(1, 1);
    resize(820, 520);
    editing_ = {drives_, tracks_, all,   none,   refresh, suppress_,
                tree_,   folder_, eject, create, rip_};

    connect(tree_, &FolderTree::FolderSelected, this,
            [this](const std::string& folder) { folder_->setText(FromBytes(folder)); });
    auto* mounts = new MountWatcher(this);
    connect(mounts, &MountWatcher::DriveArrived, this, [this](const Drive& drive) {
        tree_->DriveArrived(drive);
        if (drive.type == DriveType::kCdRom && !job_) {
            ReadTracks();
        }
    });
    connect(mounts, &MountWatcher::DriveRemoved, this, [this](const Drive& drive) {
        tree_->DriveRemoved(drive);
        if (drive.type == DriveType::kCdRom && !job_) {
            ReadTracks();
        }
    });
    connect(all, &QPushButton::clicked, this, &CdRipperDialog::SelectAll);
    connect(none, &QPushButton::clicked, this, &CdRipperDialog::SelectNone);
    connect(refresh, &QPushButton::clicked, this, &CdRipperDialog::ReadTracks);
    connect(tracks_, &QListWidget::itemChanged, this, [this] { UpdateRip(); });
    connect(tracks_, &QListWidget::itemClicked, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    connect(create, &QPushButton::clicked, this, &CdRipperDialog::CreateFolder);
    connect(eject, &QPushButton::clicked, this, &CdRipperDialog::Eject);
    connect(rip_, &QPushButton::clicked, this, &CdRipperDialog::Rip);
    connect(cancel_, &QPushButton::clicked, this, &CdRipperDialog::Cancel);
    connect(exit, &QPushButton::clicked, this, &CdRipperDialog::reject);
}

void CdRipperDialog::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

// Drives and tracks.

std::string CdRipperDialog::Source() const {
    return drives_->currentData(kSourceRole).toByteArray().toStdString();
}

void CdRipperDialog::ChooseDrive(int index) {
    if (index == imageLine_) {
        FileDialogRequest request;
        request.driveTypeMask = kCdToolDrives;
        request.okCaption = "Open";
        request.title = "Open a disc image.";
        request.pattern = "*.cue";
        request.initialPath = services_.registry.String(settings::kCdImage);
        const FileDialogResult result = services_.files.Run(request);
        // The file dialog stopped every monitor when it closed.
        services_.monitors.RestartForMask(tree_->folders().Drives(), kCdToolDrives, std::string());
        if (!result.ok) {
            drives_->setCurrentIndex(0);
            return;
        }
        const std::string path = result.Path();
        drives_->insertItem(imageLine_, FromBytes(path), QByteArray::fromStdString(path));
        index = imageLine_++;
        drives_->setCurrentIndex(index);
    }
    services_.registry.SetDword(settings::kRipDrive, static_cast<uint32_t>(index));
    ReadTracks();
}

void CdRipperDialog::ReadTracks() {
    tracks_->clear();
    titles_.clear();
    rip_->setEnabled(false);
    const std::string source = Source();
    if (source.empty()) {
        return;
    }
    // The table of contents and CD-TEXT are read off the GUI thread: a
    // drive spinning up takes seconds.
    status_->setText(QStringLiteral("Reading the disc."));
    ++reading_;
    std::thread([source, guard = QPointer<CdRipperDialog>(this)] {
        std::string why;
        std::vector<std::string> names;
        if (auto disc = OpenCdDisc(source, &why)) {
            names = disc->Titles();
            for (size_t i = 0; i < names.size(); ++i) {
                if (names[i].empty()) {
                    names[i] = "Track " + std::to_string(i + 1);
                }
            }
        }
        QMetaObject::invokeMethod(
            qApp,
            [guard, source, names, why] {
                if (guard) {
                    --guard->reading_;
                    // A later choice of drive has its own read under way.
                    if (guard->Source() == source) {
                        guard->ShowTracks(names, why);
                    }
                }
            },
            Qt::QueuedConnection);
    }).detach();
}

void CdRipperDialog::ShowTracks(const std::vector<std::string>& names, const std::string& why) {
    tracks_->clear();
    titles_ = names;
    for (const std::string& name : names) {
        // The dialog toggles the tick itself, so a click on the title
        // counts as well as one on the box.
        auto* item = new QListWidgetItem(FromBytes(name), tracks_);
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    status_->setText(names.empty() ? FromBytes(why) : QString());
    UpdateRip();
}

void CdRipperDialog::Tick(bool on) {
    for (int i = 0; i < tracks_->count(); ++i) {
        tracks_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    UpdateRip();
}

void CdRipperDialog::UpdateRip() {
    bool any = false;
    for (int i = 0; i < tracks_->count(); ++i) {
        any = any || tracks_->item(i)->checkState() == Qt::Checked;
    }
    rip_->setEnabled(any && !job_);
}

void CdRipperDialog::Eject() {
    EjectCd(Source());
}

// The destination.

void CdRipperDialog::CreateFolder() {
    std::string folder = ToBytes(folder_->text());
    if (folder.empty() || !EnsureFolderExists(folder)) {
        services_.box.Show("Unable to create\nspecified folder.", mb::kOk | mb::kIconStop);
        return;
    }
    folder_->setText(FromBytes(folder));
    tree_->ExpandToPath(folder);
}

void CdRipperDialog::DriveChanged(const std::string& root) {
    tree_->RefreshDrive(root);
}

// Ripping.

void CdRipperDialog::SetEditing(bool on) {
    for (QWidget* w : editing_) {
        w->setEnabled(on);
    }
    Colour(tracks_, on ? kBackground : kBusyBackground);
    Colour(tree_, on ? kBackground : kBusyBackground);
    cancel_->setVisible(!on);
    progress_->setVisible(!on);
}

void CdRipperDialog::Rip() {
    if (job_ || tracks_->count() == 0) {
        return;
    }
    RipRequest request;
    request.source = Source();
    request.folder = ToBytes(folder_->text());
    request.suppressLeadIn = suppress_->isChecked();
    for (int i = 0; i < tracks_->count(); ++i) {
        request.selected.push_back(tracks_->item(i)->checkState() == Qt::Checked);
    }
    request.names = titles_;
    request.beforeChunk = chunkHook_;
    SetEditing(false);
    job_ = std::make_unique<RipJob>(request, *this);
    job_->Start();
}

void CdRipperDialog::Cancel() {
    if (job_) {
        job_->Cancel();
    }
}

void CdRipperDialog::FolderReady(const std::string& folder) {
    Post([this, folder] {
        folder_->setText(FromBytes(folder));
        tree_->ExpandToPath(folder);
    });
}

void CdRipperDialog::TrackStarted(int track, int steps) {
    Post([this, track, steps] {
        progress_->setRange(0, steps);
        progress_->setValue(0);
        status_->setText(QStringLiteral("Ripping track %1").arg(track));
    });
}

void CdRipperDialog::Step(int done) {
    Post([this, done] { progress_->setValue(std::min(done, progress_->maximum())); });
}

void CdRipperDialog::TrackEnded() {
    Post([this] {
        progress_->setValue(0);
        status_->clear();
    });
}

void CdRipperDialog::Message(const std::string& text, unsigned flags) {
    Post([this, text, flags] { services_.box.Show(text, flags); });
}

void CdRipperDialog::Done() {
    Post([this] { RipDone(); });
}

void CdRipperDialog::RipDone() {
    if (!job_) {
        return;
    }
    job_->Wait();
    job_.reset();
    services_.registry.SetString(settings::kRipFolder, ToBytes(folder_->text()));
    SetEditing(true);
    UpdateRip();
    if (exitRequested_) {
        QDialog::reject();
    }
}

// Closing.

void CdRipperDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && services_.help) {
        services_.help(std::string(help::kCdRipper));
        return;
    }
    QDialog::keyPressEvent(event);
}

void CdRipperDialog::reject() {
    if (job_) {
        job_->Cancel();
        exitRequested_ = true;
        return;
    }
    QDialog::reject();
}

void CdRipperDialog::done(int code) {
    Close();
    QDialog::done(code);
}

void CdRipperDialog::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (job_) {
        job_->Cancel();
        job_.reset();  // joins the worker
    }
    services_.registry.SetDword(settings::kRipNoGap, suppress_->isChecked() ? kOnValue : 0);
    tree_->CancelScan();
    services_.monitors.StopAll();
    services_.monitors.SetMessageTarget(previousTarget_);
}

void RunCdRipper(const CdDialogServices& services, QWidget* parent) {
    CdRipperDialog dialog(services, parent);
    dialog.exec();
}

}  // namespace tamberline
