#include "setup/ui/block_assign_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QThread>
#include <QTreeWidget>
#include <bit>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "files/external_editor.h"
#include "files/folder_listing.h"
#include "help/help_topics.h"
#include "playback/graph/output_list.h"
#include "playback/output_table.h"
#include "session/registry.h"
#include "session/settings.h"
#include "setup/setup_texts.h"
#include "setup/ui/sample_browser.h"

namespace tamberline {

namespace {

const char* const kBoxTexts[block::kBoxCount] = {"Set Samples",
                                                 "Set Output",
                                                 "Set Play While Triggered",
                                                 "Set Pause",
                                                 "Set Loop",
                                                 "Set Buzzers and Bells",
                                                 "Set Stop Groups",
                                                 "Set MIDI Triggers. Start at",
                                                 "Set Key Triggers, Start at",
                                                 "Set Stick Triggers, Start at",
                                                 "Set Colour",
                                                 "Set Volume",
                                                 "Set Pan",
                                                 "Set Varispeed",
                                                 "Set FadeIn",
                                                 "Set FadeOut",
                                                 "Set Start Group"};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QComboBox* DropList(const std::vector<std::string>& items, QWidget* parent) {
    auto* list = new QComboBox(parent);
    for (const std::string& item : items) {
        list->addItem(Text(item));
    }
    list->setMaxVisibleItems(20);
    return list;
}

QScrollBar* Bar(int low, int high, QWidget* parent) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(low, high);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setMinimumWidth(140);
    return bar;
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

size_t BlockAssignDialog::BitIndex(uint32_t bit) {
    return static_cast<size_t>(std::countr_zero(bit));
}

BlockAssignDialog::BlockAssignDialog(const SetupDialogServices& services,
                                     std::vector<ButtonRecord> records, QWidget* parent)
    : QDialog(parent),
      services_(services),
      model_({services.registry, services.defaultFolder,
              [](const std::string& f) { return IsFolder(f); },
              [](const std::string& f) { return DriveTypeOfPath(f) == DriveType::kFixed; }},
             std::move(records)) {
    model_.Open();
    setWindowTitle(QStringLiteral("Block assign."));
    BuildControls();
    resize(1100, 720);
    for (size_t k = 0; k < setBoxes_.size(); ++k) {
        setBoxes_[k]->setChecked(model_.IsTicked(1u << k));
    }
    ShowValues(model_.InitialValues());
    browser_->OpenAt(model_.browseFolder());
    browser_->MarkNames(model_.UsedFileNames());
    ShowTicked();
}

QPushButton* BlockAssignDialog::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

void BlockAssignDialog::BuildControls() {
    auto* layout = new QGridLayout(this);
    for (size_t k = 0; k < setBoxes_.size(); ++k) {
        setBoxes_[k] = new QCheckBox(QString::fromLatin1(kBoxTexts[k]), this);
        connect(setBoxes_[k], &QCheckBox::toggled, this, [this] { ShowTicked(); });
    }
    browser_ = new SampleBrowser(
        {services_.box, services_.monitors, services_.copier, services_.drives}, true, this);
    connect(browser_, &SampleBrowser::FolderShown, this,
            [this](const std::string& folder) { model_.SetBrowseFolder(folder); });
    search_ = new QLineEdit(this);
    auto* dig = Button(QStringLiteral("Dig"), QStringLiteral("dig"), this);
    auto* clear = Button(QStringLiteral("Clear"), QStringLiteral("clear"), this);
    auto* edit = Button(QStringLiteral("Edit"), QStringLiteral("edit"), this);
    connect(dig, &QPushButton::clicked, this, [this] { Dig(); });
    connect(search_, &QLineEdit::returnPressed, this, [this] { Dig(); });
    connect(clear, &QPushButton::clicked, this, [this] { browser_->ClearSelection(); });
    connect(edit, &QPushButton::clicked, this, [this] {
        std::vector<std::string> samples;
        for (const std::string& name : browser_->SelectedNames()) {
            samples.push_back(browser_->folder() + name);
        }
        if (services_.editor && !samples.empty()) {
            HandSamplesToEditor(*services_.editor, services_.box, samples, [](int ms) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
                QThread::msleep(static_cast<unsigned long>(ms));
            });
        }
    });
    layout->addWidget(setBoxes_[0], 0, 0);
    layout->addWidget(browser_, 1, 0, 12, 1);
    auto* searchRow = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{search_, dig, clear, edit}) {
        searchRow->addWidget(w);
    }
    layout->addLayout(searchRow, 13, 0);
    groups_[0] = {browser_, search_, dig, clear, edit};

    int row = 0;
    auto addRow = [&](uint32_t bit, std::vector<QWidget*> controls) {
        layout->addWidget(setBoxes_[BitIndex(bit)], row, 1);
        int column = 2;
        for (QWidget* w : controls) {
            layout->addWidget(w, row, column++);
        }
        groups_[BitIndex(bit)] = std::move(controls);
        ++row;
    };
    output_ = new QComboBox(this);
    const OutputTable empty;
    for (const OutputComboRow& r :
         OutputComboRows(services_.outputs.table ? *services_.outputs.table : empty)) {
        output_->addItem(Text(r.text), r.itemData);
    }
    output_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(output_, &QWidget::customContextMenuRequested, this, [this] {
        services_.box.Show("Rename outputs from the\nSetup page.",
                           mb::kSorry | mb::kIconInformation);
    });
    addRow(block::kOutput, {output_});
    const char* flagTexts[] = {"Play while triggered",
                               "Pause",
                               "Loop",
                               "Buzzers and Bells",
                               "Stop All",
                               "Group 1",
                               "Group 2",
                               "Group 3"};
    for (size_t k = 0; k < flags_.size(); ++k) {
        flags_[k] = new QCheckBox(QString::fromLatin1(flagTexts[k]), this);
    }
    addRow(block::kPlayWhileTriggered, {flags_[0]});
    addRow(block::kPause, {flags_[1]});
    addRow(block::kLoop, {flags_[2]});
    addRow(block::kBuzzersAndBells, {flags_[3]});
    addRow(block::kStopGroups, {flags_[4], flags_[5], flags_[6], flags_[7]});
    channel_ = DropList(MidiChannelItems(), this);
    note_ = DropList(MidiNoteItems(), this);
    addRow(block::kMidi, {note_, channel_});
    key_ = DropList(BlockKeyItems(), this);
    addRow(block::kKeys, {key_});
    game_ = DropList(GameTriggerItems(), this);
    addRow(block::kGame, {game_});
    swatch_ = new ColourSwatch(this);
    connect(swatch_, &ColourSwatch::ColourRequested, this, [this] {
        std::array<uint32_t, 16> custom = LoadCustomColours(services_.registry);
        const std::optional<uint32_t> chosen =
            services_.chooseColour ? services_.chooseColour(model_.colour(), custom)
                                   : ChooseColourWithDialog(this, model_.colour(), custom);
        if (chosen) {
            model_.SetColour(*chosen);
            services_.registry.SetDword(settings::kButtonColour, *chosen);
            StoreCustomColours(services_.registry, custom);
            swatch_->Show(model_.colour(), false, QString());
        }
    });
    addRow(block::kColour, {swatch_});
    volume_ = Bar(0, kMaxVolume, this);
    pan_ = Bar(0, kMaxPan, this);
    varispeed_ = Bar(block::kMinVarispeed, block::kMaxVarispeed, this);
    volumeText_ = new QLabel(this);
    panText_ = new QLabel(this);
    varispeedText_ = new QLabel(this);
    for (QScrollBar* bar : {volume_, pan_, varispeed_}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] { RefreshTexts(true); });
    }
    addRow(block::kVolume, {volume_, volumeText_});
    addRow(block::kPan, {pan_, panText_});
    addRow(block::kVarispeed, {varispeed_, varispeedText_});
    fadeIn_ = new QSpinBox(this);
    fadeOut_ = new QSpinBox(this);
    for (QSpinBox* spin : {fadeIn_, fadeOut_}) {
        spin->setRange(0, kMaxFade);
    }
    addRow(block::kFadeIn, {fadeIn_});
    addRow(block::kFadeOut, {fadeOut_});
    startGroup_ = DropList(StartGroupItems(), this);
    startGroup_->setItemText(0, QString());
    addRow(block::kStartGroup, {startGroup_});

    auto* ok = Button(QStringLiteral("OK"), QStringLiteral("ok"), this);
    auto* cancel = Button(QStringLiteral("Cancel"), QStringLiteral("cancel"), this);
    connect(ok, &QPushButton::clicked, this, [this] { Accept(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* help = Button(QStringLiteral("Help"), QStringLiteral("help"), this);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { ShowHelp(); });
    auto* end = new QHBoxLayout;
    end->addStretch();
    end->addWidget(ok);
    end->addWidget(cancel);
    end->addWidget(help);
    layout->addLayout(end, 17, 0, 1, 6);
}

void BlockAssignDialog::ShowValues(const BlockValues& v) {
    output_->setCurrentIndex(std::min(v.output, output_->count() - 1));
    const bool states[] = {v.playWhileTriggered, v.pause,     v.loop,
                           v.buzzersAndBells,    v.stopAll,   v.stopGroup1,
                           v.stopGroup2,         v.stopGroup3};
    for (size_t k = 0; k < flags_.size(); ++k) {
        flags_[k]->setChecked(states[k]);
    }
    note_->setCurrentIndex(v.startNote);
    channel_->setCurrentIndex(v.midiChannel);
    key_->setCurrentIndex(v.startKeyItem);
    game_->setCurrentIndex(v.startGameItem);
    swatch_->Show(v.colour, false, QString());
    volume_->setValue(v.volume);
    pan_->setValue(v.pan);
    varispeed_->setValue(v.varispeed);
    fadeIn_->setValue(v.fadeIn);
    fadeOut_->setValue(v.fadeOut);
    startGroup_->setCurrentIndex(v.startGroup);
    RefreshTexts(false);
}

BlockValues BlockAssignDialog::Values() const {
    BlockValues v;
    v.output = std::max(output_->currentIndex(), 0);
    v.playWhileTriggered = flags_[0]->isChecked();
    v.pause = flags_[1]->isChecked();
    v.loop = flags_[2]->isChecked();
    v.buzzersAndBells = flags_[3]->isChecked();
    v.stopAll = flags_[4]->isChecked();
    v.stopGroup1 = flags_[5]->isChecked();
    v.stopGroup2 = flags_[6]->isChecked();
    v.stopGroup3 = flags_[7]->isChecked();
    v.midiChannel = std::max(channel_->currentIndex(), 0);
    v.startNote = note_->currentIndex();
    v.startKeyItem = std::max(key_->currentIndex(), 0);
    v.startGameItem = std::max(game_->currentIndex(), 0);
    v.colour = model_.colour();
    v.volume = volume_->value();
    v.pan = pan_->value();
    v.varispeed = varispeed_->value();
    v.fadeIn = fadeIn_->value();
    v.fadeOut = fadeOut_->value();
    v.startGroup = std::max(startGroup_->currentIndex(), 0);
    return v;
}

void BlockAssignDialog::ShowTicked() {
    for (size_t k = 0; k < setBoxes_.size(); ++k) {
        for (QWidget* w : groups_[k]) {
            w->setVisible(setBoxes_[k]->isChecked());
        }
    }
    setBoxes_[BitIndex(block::kMidi)]->setText(setBoxes_[BitIndex(block::kMidi)]->isChecked()
                                                   ? QStringLiteral("Set MIDI triggers, start at")
                                                   : QStringLiteral("Set MIDI triggers"));
    setBoxes_[BitIndex(block::kKeys)]->setText(setBoxes_[BitIndex(block::kKeys)]->isChecked()
                                                   ? QStringLiteral("Set key triggers, start at")
                                                   : QStringLiteral("Set key triggers"));
    setBoxes_[BitIndex(block::kGame)]->setText(setBoxes_[BitIndex(block::kGame)]->isChecked()
                                                   ? QStringLiteral("Set game triggers, start at")
                                                   : QStringLiteral("Set game triggers"));
    RefreshTexts(false);
}

void BlockAssignDialog::RefreshTexts(bool scrolling) {
    volumeText_->setText(Text(VolumeText(volume_->value())));
    panText_->setText(Text(PanText(pan_->value(), scrolling)));
    varispeedText_->setText(Text(VarispeedText(varispeed_->value())));
}

void BlockAssignDialog::Dig() {
    std::vector<std::string> paths;
    bool clearTerm = false;
    const bool found = DigForFiles(services_.search, services_.box, search_->text().toStdString(),
                                   paths, clearTerm);
    if (clearTerm) {
        search_->clear();
    }
    if (found) {
        // The first hit's folder is shown with the hits in it marked.
        const std::string folder = FolderPart(paths.front());
        std::vector<std::string> names;
        for (const std::string& path : paths) {
            if (FolderPart(path) == folder) {
                names.push_back(FileNamePart(path));
            }
        }
        browser_->OpenAt(folder);
        browser_->MarkNames(names, true);
        browser_->list().setFocus();
    }
}

void BlockAssignDialog::Accept() {
    uint32_t mask = 0;
    for (size_t k = 0; k < setBoxes_.size(); ++k) {
        if (setBoxes_[k]->isChecked()) {
            mask |= 1u << k;
        }
    }
    model_.SetMask(mask);
    newFiles_ = model_.Apply(Values(), browser_->SelectedNames(), browser_->selectionTouched());
    accept();
}

void BlockAssignDialog::ShowHelp() {
    if (services_.showHelp) {
        services_.showHelp(std::string(help::kBlockAssign));
    }
}

void BlockAssignDialog::keyPressEvent(QKeyEvent* event) {
    // Enter runs Dig in the search box and never closes the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        return;
    }
    QDialog::keyPressEvent(event);
}

void BlockAssignDialog::done(int result) {
    browser_->Close();
    QDialog::done(result);
}

}  // namespace tamberline
