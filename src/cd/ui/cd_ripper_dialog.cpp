#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <memory>
#include <thread>

#include "base/message_box.h"
#include "cd/cd_disc.h"
#include "cd/rip_job.h"
#include "cd/ui/cd_dialogs.h"
#include "session/registry.h"

namespace tamberline {

namespace {

const char* const kOpenImage = "Disc image...";

class CdRipperDialog final : public QDialog, public RipEvents {
public:
    CdRipperDialog(MessageBox& box, Registry& registry, QWidget* parent)
        : QDialog(parent), box_(box), registry_(registry) {
        setWindowTitle(QStringLiteral("CD Ripper."));
        Build();
        std::string folder = registry_.String(settings::kRipFolder);
        if (folder.empty())
            folder = QDir::homePath().toStdString() + "/";
        folder_->setText(QString::fromStdString(folder));
        suppress_->setChecked(registry_.Dword(settings::kRipNoGap) == kOnValue);
        // Real drives, the burner's own image, and any image picked.
        for (const std::string& d : ListCdDrives())
            drives_->addItem(QString::fromStdString(d));
        if (QFile::exists(QString::fromStdString(DiscImagePath()))) {
            drives_->addItem(QString::fromStdString(DiscImagePath()));
        }
        drives_->addItem(QString::fromLatin1(kOpenImage));
        connect(drives_, &QComboBox::activated, this, [this](int) { DriveChosen(); });
        if (drives_->count() > 1)
            ReadTracks();
    }
    ~CdRipperDialog() override {
        if (job_) {
            job_->Cancel();
            job_.reset();  // joins the worker
        }
        registry_.SetDword(settings::kRipNoGap, suppress_->isChecked() ? kOnValue : 0);
    }

    // RipEvents: called on the worker; each hops to the dialog's thread.
    void TrackStarted(int track, int steps) override {
        Post([this, track, steps] {
            progress_->setRange(0, steps);
            progress_->setValue(0);
            status_->setText(QStringLiteral("Ripping track %1").arg(track));
        });
    }
    void Step(int done) override {
        Post([this, done] { progress_->setValue(std::min(done, progress_->maximum())); });
    }
    void TrackEnded() override {
        Post([this] {
            progress_->setValue(0);
            status_->clear();
        });
    }
    void Message(const std::string& text, unsigned flags) override {
        Post([this, text, flags] { box_.Show(text, flags); });
    }
    void Done() override {
        Post([this] { RipDone(); });
    }

protected:
    void reject() override {
        if (job_) {
            job_->Cancel();
            exitRequested_ = true;
            return;
        }
        QDialog::reject();
    }

private:
    void Post(std::function<void()> fn) {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    }

    void Build() {
        auto* grid = new QGridLayout(this);
        drives_ = new QComboBox(this);
        tracks_ = new QListWidget(this);
        auto* all = new QPushButton(QStringLiteral("Select All"), this);
        auto* none = new QPushButton(QStringLiteral("Select None"), this);
        auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
        suppress_ = new QCheckBox(QStringLiteral("Suppress lead-in."), this);
        folder_ = new QLineEdit(this);
        auto* browse = new QPushButton(QStringLiteral("Folder..."), this);
        auto* eject = new QPushButton(QStringLiteral("Eject"), this);
        auto* create = new QPushButton(QStringLiteral("Create folder"), this);
        rip_ = new QPushButton(QStringLiteral("Rip"), this);
        cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
        auto* exit = new QPushButton(QStringLiteral("Exit"), this);
        progress_ = new QProgressBar(this);
        status_ = new QLabel(this);
        cancel_->hide();
        progress_->hide();
        rip_->setEnabled(false);

        grid->addWidget(drives_, 0, 0, 1, 3);
        grid->addWidget(tracks_, 1, 0, 1, 3);
        grid->addWidget(all, 2, 0);
        grid->addWidget(none, 2, 1);
        grid->addWidget(refresh, 2, 2);
        grid->addWidget(suppress_, 3, 0, 1, 3);
        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(folder_);
        folderRow->addWidget(browse);
        grid->addLayout(folderRow, 4, 0, 1, 3);
        auto* bottom = new QHBoxLayout;
        for (QPushButton* b : {eject, create, rip_, cancel_, exit})
            bottom->addWidget(b);
        grid->addLayout(bottom, 5, 0, 1, 3);
        grid->addWidget(progress_, 6, 0, 1, 3);
        grid->addWidget(status_, 7, 0, 1, 3);
        resize(520, 520);
        editing_ = {drives_, tracks_, all,   none,   refresh, suppress_,
                    folder_, browse,  eject, create, rip_};

        connect(all, &QPushButton::clicked, this, [this] { Tick(true); });
        connect(none, &QPushButton::clicked, this, [this] { Tick(false); });
        connect(refresh, &QPushButton::clicked, this, [this] { ReadTracks(); });
        connect(tracks_, &QListWidget::itemChanged, this, [this] { UpdateRip(); });
        connect(browse, &QPushButton::clicked, this, [this] {
            const QString dir = QFileDialog::getExistingDirectory(this, QString(), folder_->text());
            if (!dir.isEmpty())
                folder_->setText(dir + "/");
        });
        connect(create, &QPushButton::clicked, this, [this] {
            std::string folder = folder_->text().toStdString();
            if (!EnsureFolderExists(folder)) {
                box_.Show("Unable to create\nspecified folder.", mb::kOk | mb::kIconStop);
            } else {
                folder_->setText(QString::fromStdString(folder));
            }
        });
        connect(eject, &QPushButton::clicked, this, [this] { EjectCd(Source()); });
        connect(rip_, &QPushButton::clicked, this, [this] { StartRip(); });
        connect(cancel_, &QPushButton::clicked, this, [this] {
            if (job_)
                job_->Cancel();
        });
        connect(exit, &QPushButton::clicked, this, [this] { reject(); });
    }

    std::string Source() const { return drives_->currentText().toStdString(); }

    void DriveChosen() {
        if (drives_->currentText() == QString::fromLatin1(kOpenImage)) {
            const QString path =
                QFileDialog::getOpenFileName(this, QString(), QDir::homePath(),
                                             QStringLiteral("Disc images (*.cue *.toc *.nrg)"));
            if (path.isEmpty())
                return;
            drives_->insertItem(drives_->count() - 1, path);
            drives_->setCurrentIndex(drives_->count() - 2);
        }
        ReadTracks();
    }

    void ReadTracks() {
        tracks_->clear();
        rip_->setEnabled(false);
        if (drives_->currentText() == QString::fromLatin1(kOpenImage))
            return;
        // The table of contents and CD-TEXT are read off the GUI thread.
        const std::string source = Source();
        status_->setText(QStringLiteral("Reading the disc."));
        std::thread([this, source, guard = QPointer<CdRipperDialog>(this)] {
            std::string why;
            std::vector<std::string> names;
            if (auto disc = OpenCdDisc(source, &why)) {
                names = disc->Titles();
                for (size_t i = 0; i < names.size(); ++i) {
                    if (names[i].empty())
                        names[i] = "Track " + std::to_string(i + 1);
                }
            }
            QMetaObject::invokeMethod(
                qApp,
                [guard, names, why] {
                    if (!guard)
                        return;
                    guard->ShowTracks(names, why);
                },
                Qt::QueuedConnection);
        }).detach();
    }

    void ShowTracks(const std::vector<std::string>& names, const std::string& why) {
        tracks_->clear();
        titles_ = names;
        for (const std::string& name : names) {
            auto* item = new QListWidgetItem(QString::fromStdString(name), tracks_);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
        status_->setText(names.empty() ? QString::fromStdString(why) : QString());
        UpdateRip();
    }

    void Tick(bool on) {
        for (int i = 0; i < tracks_->count(); ++i)
            tracks_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        UpdateRip();
    }

    void UpdateRip() {
        bool any = false;
        for (int i = 0; i < tracks_->count(); ++i)
            any = any || tracks_->item(i)->checkState() == Qt::Checked;
        rip_->setEnabled(any && !job_);
    }

    void StartRip() {
        RipRequest request;
        request.source = Source();
        request.folder = folder_->text().toStdString();
        request.suppressLeadIn = suppress_->isChecked();
        for (int i = 0; i < tracks_->count(); ++i)
            request.selected.push_back(tracks_->item(i)->checkState() == Qt::Checked);
        request.names = titles_;
        for (QWidget* w : editing_)
            w->setEnabled(false);
        cancel_->show();
        progress_->show();
        job_ = std::make_unique<RipJob>(request, *this);
        job_->Start();
    }

    void RipDone() {
        if (job_) {
            job_->Wait();
            job_.reset();
        }
        registry_.SetString(settings::kRipFolder, folder_->text().toStdString());
        for (QWidget* w : editing_)
            w->setEnabled(true);
        cancel_->hide();
        progress_->hide();
        UpdateRip();
        if (exitRequested_)
            QDialog::reject();
    }

    MessageBox& box_;
    Registry& registry_;
    std::unique_ptr<RipJob> job_;
    bool exitRequested_ = false;
    std::vector<std::string> titles_;
    QComboBox* drives_ = nullptr;
    QListWidget* tracks_ = nullptr;
    QCheckBox* suppress_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QPushButton* rip_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    std::vector<QWidget*> editing_;
};

}  // namespace

void RunCdRipper(MessageBox& box, Registry& registry, QWidget* parent) {
    CdRipperDialog dialog(box, registry, parent);
    dialog.exec();
}

}  // namespace tamberline
