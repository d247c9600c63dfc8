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
#include <QStandardPaths>
#include <QVBoxLayout>
#include <memory>

#include "base/message_box.h"
#include "cd/burn_controller.h"
#include "cd/burn_list_file.h"
#include "cd/image_recorder.h"
#include "cd/libburn_recorder.h"
#include "cd/ui/cd_dialogs.h"
#include "cd/wav_check.h"
#include "session/registry.h"

namespace tamberline {

std::string BurnListPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
           "/Tamberline/Burnlist.abl";
}

std::string DiscImagePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
           "/Tamberline/CD image.cue";
}

namespace {

class CdBurnerDialog final : public QDialog, public BurnController::View {
public:
    CdBurnerDialog(MessageBox& box, Registry& registry, QWidget* parent)
        : QDialog(parent),
          box_(box),
          registry_(registry),
          controller_(box, *this, [this](std::function<void()> fn) {
              QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
          }) {
        setWindowTitle(QStringLiteral("CD Burner."));
        Build();
        // Every recorder is its own object bound to its drive, so the line
        // chosen is the drive that burns whatever the scan skipped.
        for (auto& r : ScanLibburnRecorders())
            recorders_.push_back(std::move(r));
        recorders_.push_back(std::make_unique<ImageRecorder>(DiscImagePath()));
        for (const auto& r : recorders_)
            recorderList_->addItem(QString::fromStdString(r->Name()));
        const int chosen = static_cast<int>(registry_.Dword(settings::kBurnDrive));
        recorderList_->setCurrentIndex(chosen < recorderList_->count() ? chosen : 0);
        std::string folder = registry_.String(settings::kBurnFolder);
        if (folder.empty() || !QDir(QString::fromStdString(folder)).exists()) {
            folder = QDir::homePath().toStdString();
        }
        folder_->setText(QString::fromStdString(folder));
        ListSource();
        list_ = LoadBurnList(BurnListPath());
        list_.Revalidate(CheckWavFile, false);
        loaded_ = true;
        Refresh();
    }
    ~CdBurnerDialog() override {
        controller_.Shutdown();
        // Written only when it was loaded, so a failed opening never
        // overwrites the saved list.
        if (loaded_) {
            SaveBurnList(BurnListPath(), list_);
        }
        registry_.SetDword(settings::kBurnDrive,
                           static_cast<uint32_t>(recorderList_->currentIndex()));
    }

    void SetStatus(const std::string& text) override {
        status_->setText(QString::fromStdString(text));
    }
    void SetProgress(int percent) override { progress_->setValue(percent); }
    void SetBurning(bool burning) override {
        for (QWidget* w : editing_)
            w->setEnabled(!burning);
        cancel_->setVisible(burning);
        progress_->setVisible(burning);
        if (!burning)
            Refresh();
    }
    void CloseDialog() override { accept(); }

protected:
    void reject() override {
        if (controller_.Exit())
            QDialog::reject();
    }

private:
    void Build() {
        auto* grid = new QGridLayout(this);
        folder_ = new QLineEdit(this);
        auto* browse = new QPushButton(QStringLiteral("Folder..."), this);
        source_ = new QListWidget(this);
        source_->setSelectionMode(QAbstractItemView::ExtendedSelection);
        burnList_ = new QListWidget(this);
        burnList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
        auto* clearSel = new QPushButton(QStringLiteral("Clear sel"), this);
        auto* addAll = new QPushButton(QStringLiteral("Add all >>"), this);
        auto* add = new QPushButton(QStringLiteral("Add >>"), this);
        auto* remove = new QPushButton(QStringLiteral("<< Remove"), this);
        auto* up = new QPushButton(QStringLiteral("Move up"), this);
        auto* down = new QPushButton(QStringLiteral("Move down"), this);
        auto* clearAll = new QPushButton(QStringLiteral("Clear all"), this);
        recorderList_ = new QComboBox(this);
        burn_ = new QPushButton(QStringLiteral("Burn"), this);
        cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
        auto* exit = new QPushButton(QStringLiteral("Exit"), this);
        progress_ = new QProgressBar(this);
        progress_->setRange(0, 100);
        capacity_ = new QLabel(QStringLiteral("Burn list."), this);
        status_ = new QLabel(this);
        cancel_->hide();
        progress_->hide();

        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(folder_);
        folderRow->addWidget(browse);
        grid->addLayout(folderRow, 0, 0);
        grid->addWidget(capacity_, 0, 2);
        grid->addWidget(source_, 1, 0);
        auto* middle = new QVBoxLayout;
        for (QPushButton* b : {clearSel, addAll, add, remove, up, down, clearAll})
            middle->addWidget(b);
        middle->addStretch();
        grid->addLayout(middle, 1, 1);
        grid->addWidget(burnList_, 1, 2);
        auto* bottom = new QHBoxLayout;
        bottom->addWidget(recorderList_, 1);
        bottom->addWidget(burn_);
        bottom->addWidget(cancel_);
        bottom->addWidget(exit);
        grid->addLayout(bottom, 2, 0, 1, 3);
        grid->addWidget(progress_, 3, 0, 1, 3);
        grid->addWidget(status_, 4, 0, 1, 3);
        resize(760, 480);
        editing_ = {addAll, add, remove, up, down, clearAll, burn_, recorderList_};

        connect(browse, &QPushButton::clicked, this, [this] {
            const QString dir = QFileDialog::getExistingDirectory(this, QString(), folder_->text());
            if (!dir.isEmpty()) {
                folder_->setText(dir);
                ListSource();
            }
        });
        connect(folder_, &QLineEdit::editingFinished, this, [this] { ListSource(); });
        connect(clearSel, &QPushButton::clicked, source_, &QListWidget::clearSelection);
        connect(addAll, &QPushButton::clicked, this, [this] { AddNames(true); });
        connect(add, &QPushButton::clicked, this, [this] { AddNames(false); });
        connect(remove, &QPushButton::clicked, this, [this] {
            const std::set<int> rows = SelectedRows();
            if (rows.empty()) {
                box_.Show(kSelectToRemoveText, mb::kOk | mb::kIconExclamation);
                return;
            }
            list_.Remove(rows);
            Refresh();
        });
        connect(up, &QPushButton::clicked, this, [this] { Move(true); });
        connect(down, &QPushButton::clicked, this, [this] { Move(false); });
        connect(clearAll, &QPushButton::clicked, this, [this] {
            list_.Clear();
            Refresh();
        });
        connect(burn_, &QPushButton::clicked, this, [this] {
            const int index = recorderList_->currentIndex();
            if (index < 0 || index >= static_cast<int>(recorders_.size())) {
                box_.Show("No CD recording devices found.", mb::kOk | mb::kIconStop);
                return;
            }
            controller_.Burn(*recorders_[static_cast<size_t>(index)], list_, CheckWavFile);
            Refresh();
        });
        connect(cancel_, &QPushButton::clicked, this, [this] { controller_.Cancel(); });
        connect(exit, &QPushButton::clicked, this, [this] { reject(); });
    }

    std::string Folder() const {
        std::string f = folder_->text().toStdString();
        if (!f.empty() && f.back() != '/')
            f += '/';
        return f;
    }

    void ListSource() {
        source_->clear();
        const QStringList names = QDir(folder_->text())
                                      .entryList({QStringLiteral("*.wav"), QStringLiteral("*.WAV")},
                                                 QDir::Files, QDir::Name);
        source_->addItems(names);
    }

    std::set<int> SelectedRows() const {
        std::set<int> rows;
        for (const QModelIndex& i : burnList_->selectionModel()->selectedRows())
            rows.insert(i.row());
        return rows;
    }

    void AddNames(bool all) {
        if (list_.full()) {
            box_.Show(kBurnListFullText, mb::kOk | mb::kIconExclamation);
            return;
        }
        std::vector<std::string> names;
        for (int i = 0; i < source_->count(); ++i) {
            if (all || source_->item(i)->isSelected())
                names.push_back(source_->item(i)->text().toStdString());
        }
        if (!all && names.empty()) {
            box_.Show(kSelectToAddText, mb::kOk | mb::kIconExclamation);
            return;
        }
        const std::set<int> rows = SelectedRows();
        std::optional<int> at;
        if (!all && !rows.empty())
            at = *rows.begin();
        const BurnList::AddResult result = list_.Add(Folder(), names, at, CheckWavFile);
        Refresh();
        if (const std::string text = BurnList::AddMessage(result); !text.empty()) {
            box_.Show(text, mb::kOk | mb::kIconExclamation);
        }
        if (result.added > 0)
            registry_.SetString(settings::kBurnFolder, Folder());
    }

    void Move(bool up) {
        const std::set<int> rows = SelectedRows();
        if (rows.empty()) {
            box_.Show(kSelectToMoveText, mb::kOk | mb::kIconExclamation);
            return;
        }
        const std::set<int> moved = up ? list_.MoveUp(rows) : list_.MoveDown(rows);
        Refresh();
        for (int r : moved)
            burnList_->item(r)->setSelected(true);
    }

    void Refresh() {
        burnList_->clear();
        for (const std::string& line : list_.Lines())
            burnList_->addItem(QString::fromStdString(line));
        capacity_->setText(QString::fromStdString(list_.CapacityLabel()));
        burn_->setEnabled(list_.totalBytes() != 0 && !controller_.busy());
    }

    MessageBox& box_;
    Registry& registry_;
    BurnController controller_;
    BurnList list_;
    bool loaded_ = false;
    std::vector<std::unique_ptr<Recorder>> recorders_;
    QLineEdit* folder_ = nullptr;
    QListWidget* source_ = nullptr;
    QListWidget* burnList_ = nullptr;
    QComboBox* recorderList_ = nullptr;
    QPushButton* burn_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* capacity_ = nullptr;
    QLabel* status_ = nullptr;
    std::vector<QWidget*> editing_;
};

}  // namespace

void RunCdBurner(MessageBox& box, Registry& registry, QWidget* parent) {
    CdBurnerDialog dialog(box, registry, parent);
    dialog.exec();
}

}  // namespace tamberline
