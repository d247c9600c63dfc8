#include "setup/ui/setup_button_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTime>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "files/external_editor.h"
#include "files/folder_listing.h"
#include "files/ui/folder_tree.h"
#include "playback/button_runner.h"
#include "playback/graph/media_length.h"
#include "playback/graph/output_list.h"
#include "playback/output_table.h"
#include "session/registry.h"
#include "session/settings.h"
#include "setup/setup_texts.h"
#include "setup/ui/sample_browser.h"
#include "setup/ui/sample_list_dialog.h"
#include "songlist/playlist_reader.h"
#include "songlist/wav_playlist.h"
#include "triggers/key_triggers.h"

namespace tamberline {

namespace {

constexpr int kTickMs = 10;
constexpr int kSwatchEveryTicks = 10;  // the remaining time every 100 ms

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

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QScrollBar* Bar(int low, int high, QWidget* parent) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(low, high);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setMinimumWidth(160);
    return bar;
}

QSpinBox* FadeEdit(QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, kMaxFade);
    spin->setKeyboardTracking(true);
    return spin;
}

int OutputRows(const SetupOutputs& outputs) {
    const OutputTable empty;
    return static_cast<int>(OutputComboRows(outputs.table ? *outputs.table : empty).size());
}

SetupServices ModelServices(const SetupDialogServices& s, SampleProbe& probe) {
    MessageBox& box = s.box;
    return {s.registry,
            s.box,
            s.records,
            probe,
            OutputRows(s.outputs),
            s.defaultFolder,
            [](const std::string& folder) { return IsFolder(folder); },
            [](const std::string& folder) { return DriveTypeOfPath(folder) == DriveType::kFixed; },
            [&box](const std::string& path, int kind) { ReportSampleError(box, path, kind); }};
}

}  // namespace

SetupButtonDialog::SetupButtonDialog(const SetupDialogServices& services, int button,
                                     const ButtonRecord& record, QWidget* parent)
    : QDialog(parent),
      services_(services),
      model_(ModelServices(services_, probe_), button, record),
      player_(services.outputs),
      preview_(player_, services.runLog) {
    model_.Open();
    setWindowTitle(Text(model_.Title()));
    BuildControls();
    resize(1100, 720);
    FillOutputs();
    browser_->OpenAt(model_.browseFolder());
    Refresh(true);
    search_->setFocus();
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    timer_.start(kTickMs);
    clock_.start();
}

SetupButtonDialog::~SetupButtonDialog() {
    qApp->removeEventFilter(this);
}

QPushButton* SetupButtonDialog::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

void SetupButtonDialog::BuildControls() {
    auto* layout = new QGridLayout(this);
    browser_ = new SampleBrowser(
        {services_.box, services_.monitors, services_.copier, services_.drives}, false, this);
    connect(browser_, &SampleBrowser::FileChosen, this,
            [this](const std::string& path) { ChooseFile(path); });
    connect(browser_, &SampleBrowser::FolderShown, this,
            [this](const std::string& folder) { model_.SetBrowseFolder(folder); });
    connect(browser_, &SampleBrowser::ListContextRequested, this,
            [this] { ExploreFolder(browser_->folder()); });
    layout->addWidget(browser_, 0, 0, 6, 1);

    auto* searchRow = new QHBoxLayout;
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    auto* dig = Button(QStringLiteral("Dig"), QStringLiteral("dig"), this);
    connect(dig, &QPushButton::clicked, this, [this] { Dig(); });
    connect(search_, &QLineEdit::returnPressed, this, [this] { Dig(); });
    searchRow->addWidget(search_);
    searchRow->addWidget(dig);
    layout->addLayout(searchRow, 6, 0);

    auto* behaviour = new QGridLayout;
    behaviour->addWidget(new QLabel(QStringLiteral("Set Output"), this), 0, 0);
    output_ = new QComboBox(this);
    output_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(output_, &QComboBox::activated, this, [this](int row) {
        preview_.Stop();
        const bool wasAssigned = IsAssigned(model_.record());
        model_.SetOutput(row);
        Refresh(wasAssigned != IsAssigned(model_.record()));
    });
    connect(output_, &QWidget::customContextMenuRequested, this, [this] { RenameOutput(); });
    behaviour->addWidget(output_, 0, 1, 1, 2);
    auto* groupLabel = new QLabel(QStringLiteral("Start group"), this);
    behaviour->addWidget(groupLabel, 1, 0);
    startGroup_ = DropList(StartGroupItems(), this);
    connect(startGroup_, &QComboBox::activated, this, [this] { FlagsChanged(); });
    behaviour->addWidget(startGroup_, 1, 1);
    const char* names[] = {"Play while triggered",
                           "Pause",
                           "Buzzers and Bells",
                           "ALL",
                           "Group 1",
                           "Group 2",
                           "Group 3"};
    for (const char* name : names) {
        auto* box = new QCheckBox(QString::fromLatin1(name), this);
        connect(box, &QCheckBox::clicked, this, [this] { FlagsChanged(); });
        flagBoxes_.push_back(box);
    }
    loop_ = new QCheckBox(QStringLiteral("Loop"), this);
    connect(loop_, &QCheckBox::clicked, this, [this](bool on) {
        model_.SetLoop(on);
        preview_.SetLoop(on);
        Refresh(false);
    });
    behaviour->addWidget(flagBoxes_[0], 2, 0, 1, 2);
    behaviour->addWidget(flagBoxes_[1], 3, 0);
    behaviour->addWidget(loop_, 3, 1);
    behaviour->addWidget(flagBoxes_[2], 4, 0, 1, 2);
    auto* stops = new QGroupBox(QStringLiteral("Stop on play"), this);
    auto* stopLayout = new QHBoxLayout(stops);
    for (size_t k = 3; k < flagBoxes_.size(); ++k) {
        stopLayout->addWidget(flagBoxes_[k]);
    }
    behaviour->addWidget(stops, 5, 0, 1, 3);
    layout->addLayout(behaviour, 0, 1);
    coveredByResults_ = {output_, startGroup_, flagBoxes_[0], flagBoxes_[3], groupLabel};

    layout->addWidget(new QLabel(QStringLiteral("Button Caption"), this), 1, 1);
    caption_ = new QPlainTextEdit(this);
    caption_->setMaximumHeight(60);
    caption_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(caption_, &QWidget::customContextMenuRequested, this, [this] { ChooseColour(); });
    layout->addWidget(caption_, 2, 1);
    swatch_ = new ColourSwatch(this);
    connect(swatch_, &ColourSwatch::ColourRequested, this, [this] { ChooseColour(); });
    layout->addWidget(swatch_, 3, 1);

    auto* previewRow = new QHBoxLayout;
    auto* play = Button(QStringLiteral("Play"), QStringLiteral("play"), this);
    stop_ = Button(QStringLiteral("Stop"), QStringLiteral("stop"), this);
    auto* edit = Button(QStringLiteral("Edit"), QStringLiteral("edit"), this);
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(play, &QPushButton::clicked, this, [this] { Play(); });
    connect(stop_, &QPushButton::clicked, this, [this] { StopPreview(); });
    connect(edit, &QPushButton::clicked, this, [this] {
        if (!IsAssigned(model_.record())) {
            return;
        }
        preview_.Stop();
        const std::string path(PathOf(model_.record()));
        if (IsPlaylistFile(path)) {
            if (services_.editSonglist) {
                services_.editSonglist(path);
            }
        } else if (services_.editor) {
            services_.editor->LaunchEditor({path});
        }
    });
    connect(edit, &QWidget::customContextMenuRequested, this, [this] {
        if (services_.editor) {
            services_.editor->AssignEditor();
        }
    });
    previewRow->addWidget(play);
    previewRow->addWidget(stop_);
    previewRow->addWidget(edit);
    layout->addLayout(previewRow, 4, 1);
    layout->addWidget(BuildTriggers(), 0, 2, 3, 1);
    layout->addWidget(BuildLevels(), 3, 2, 3, 1);

    auto* endRow = new QHBoxLayout;
    showData_ = Button(QStringLiteral("Show\nData"), QStringLiteral("showData"), this);
    auto* showTriggers =
        Button(QStringLiteral("Show\nTriggers"), QStringLiteral("showTriggers"), this);
    auto* clear = Button(QStringLiteral("Clear"), QStringLiteral("clear"), this);
    auto* ok = Button(QStringLiteral("OK"), QStringLiteral("ok"), this);
    auto* cancel = Button(QStringLiteral("Cancel"), QStringLiteral("cancel"), this);
    connect(showData_, &QPushButton::clicked, this, [this] { ShowData(); });
    connect(showTriggers, &QPushButton::clicked, this, [this] { ShowTriggers(); });
    connect(clear, &QPushButton::clicked, this, [this] { ClearRecord(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        preview_.Stop();
        // What was typed in the start-time box counts as if it had been left.
        EnterStartTime();
        result_ = model_.Accept(caption_->toPlainText().toStdString());
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton* b : {showData_, showTriggers, clear, ok, cancel}) {
        endRow->addWidget(b);
    }
    layout->addLayout(endRow, 6, 1, 1, 2);

    results_ = new QListWidget(this);
    results_->setObjectName(QStringLiteral("digResults"));
    results_->hide();
    connect(results_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const std::string path = item->data(Qt::UserRole).toByteArray().toStdString();
        HideDigResults();
        browser_->OpenAt(FolderPart(path));
        model_.SetBrowseFolder(FolderPart(path));
        ChooseFile(path);
    });
}

QWidget* SetupButtonDialog::BuildTriggers() {
    auto* box = new QGroupBox(QStringLiteral("Triggers"), this);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Midi channel"), box), 0, 0);
    channel_ = DropList(MidiChannelItems(), box);
    grid->addWidget(channel_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Midi note trigger"), box), 1, 0);
    note_ = DropList(MidiNoteItems(), box);
    grid->addWidget(note_, 1, 1);
    auto midi = [this] { model_.ChooseMidi(note_->currentIndex(), channel_->currentIndex()); };
    connect(note_, &QComboBox::activated, this, midi);
    connect(channel_, &QComboBox::activated, this, midi);
    grid->addWidget(new QLabel(QStringLiteral("Keyboard trigger"), box), 2, 0);
    key_ = new KeyCaptureEdit(box);
    connect(key_, &KeyCaptureEdit::KeyCaptured, this,
            [this](int code) { model_.CaptureKey(code); });
    connect(key_, &KeyCaptureEdit::EscapePressed, this, [this] { StopPreview(); });
    grid->addWidget(key_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Game trigger"), box), 3, 0);
    game_ = DropList(GameTriggerItems(), box);
    connect(game_, &QComboBox::activated, this, [this](int item) {
        // The closed list names the stick of the choice.
        game_->setItemText(gameShown_, Text(GameTriggerListText(gameShown_)));
        game_->setItemText(item, Text(GameTriggerStickText(item)));
        gameShown_ = item;
        model_.ChooseGameTrigger(item);
    });
    grid->addWidget(game_, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Timecode / Start time"), box), 4, 0);
    startTime_ = new QLineEdit(box);
    startTime_->setMaxLength(64);
    connect(startTime_, &QLineEdit::editingFinished, this, [this] { EnterStartTime(); });
    auto* now = Button(QStringLiteral("<- now"), QStringLiteral("now"), box);
    connect(now, &QPushButton::clicked, this, [this] {
        startTime_->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss:00")));
        EnterStartTime();
        stop_->setFocus();
    });
    grid->addWidget(startTime_, 4, 1);
    grid->addWidget(now, 4, 2);
    return box;
}

QWidget* SetupButtonDialog::BuildLevels() {
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    volume_ = Bar(0, kMaxVolume, box);
    pan_ = Bar(0, kMaxPan, box);
    varispeed_ = Bar(kMinVarispeed, kMaxVarispeed, box);
    volumeText_ = new QLabel(box);
    panText_ = new QLabel(box);
    varispeedText_ = new QLabel(box);
    varispeedLabel_ = new QLabel(QStringLiteral("Set Varispeed"), box);
    grid->addWidget(new QLabel(QStringLiteral("Set Volume"), box), 0, 0);
    grid->addWidget(volume_, 0, 1);
    grid->addWidget(volumeText_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Set Pan"), box), 1, 0);
    grid->addWidget(pan_, 1, 1);
    grid->addWidget(panText_, 1, 2);
    grid->addWidget(varispeedLabel_, 2, 0);
    grid->addWidget(varispeed_, 2, 1);
    grid->addWidget(varispeedText_, 2, 2);
    for (QScrollBar* bar : {volume_, pan_, varispeed_}) {
        connect(bar, &QScrollBar::valueChanged, this,
                [this, bar](int value) { ScrollChanged(bar, value); });
    }
    fadeIn_ = FadeEdit(box);
    fadeOut_ = FadeEdit(box);
    connect(fadeIn_, &QSpinBox::valueChanged, this, [this](int v) { FadeTyped(true, v); });
    connect(fadeOut_, &QSpinBox::valueChanged, this, [this](int v) { FadeTyped(false, v); });
    grid->addWidget(new QLabel(QStringLiteral("Fade in x0.1"), box), 3, 0);
    grid->addWidget(fadeIn_, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Fade out x0.1"), box), 4, 0);
    grid->addWidget(fadeOut_, 4, 1);
    return box;
}

void SetupButtonDialog::FillOutputs() {
    const OutputTable empty;
    output_->clear();
    for (const OutputComboRow& row :
         OutputComboRows(services_.outputs.table ? *services_.outputs.table : empty)) {
        output_->addItem(Text(row.text), row.itemData);
    }
}

void SetupButtonDialog::Refresh(bool withCaption) {
    filling_ = true;
    const ButtonRecord& r = model_.record();
    output_->setCurrentIndex(r.output);
    volume_->setValue(r.volume);
    pan_->setValue(r.pan);
    varispeed_->setValue(r.varispeed);
    volumeText_->setText(Text(VolumeText(r.volume)));
    panText_->setText(Text(PanText(r.pan)));
    varispeedText_->setText(Text(VarispeedText(r.varispeed)));
    for (QWidget* w :
         std::initializer_list<QWidget*>{varispeed_, varispeedText_, varispeedLabel_}) {
        w->setVisible(model_.varispeedShown());
    }
    startGroup_->setCurrentIndex(r.startGroup);
    loop_->setChecked(r.loop != 0);
    const FlagBoxes boxes = BoxesFromFlags(r.flags);
    const bool states[] = {
        boxes.playWhileTriggered, boxes.pause,      boxes.buzzersAndBells, boxes.stopAll,
        boxes.stopGroup1,         boxes.stopGroup2, boxes.stopGroup3};
    for (size_t k = 0; k < flagBoxes_.size(); ++k) {
        flagBoxes_[k]->setChecked(states[k]);
    }
    if (withCaption) {
        caption_->setPlainText(Text(CaptionForBox(CaptionOf(r))));
    }
    note_->setCurrentIndex(r.midiNote);
    channel_->setCurrentIndex(r.midiChannel);
    key_->setText(Text(KeyName(r.triggerKey)));
    game_->setItemText(gameShown_, Text(GameTriggerListText(gameShown_)));
    gameShown_ = r.gameTrigger;
    game_->setItemText(gameShown_, Text(GameTriggerStickText(gameShown_)));
    game_->setCurrentIndex(gameShown_);
    fadeIn_->setValue(r.fadeIn);
    fadeOut_->setValue(r.fadeOut);
    startTime_->setText(r.startTimeOn ? Text(TimecodeText(r.startTime)) : QString());
    showData_->setEnabled(model_.showDataEnabled());
    filling_ = false;
    RefreshSwatch();
}

void SetupButtonDialog::RefreshSwatch() {
    const ButtonRecord& r = model_.record();
    const bool playing = preview_.IsPlaying();
    QString time;
    if (playing) {
        time = Text(RemainingTimeText(preview_.RemainingMs()));
    } else if (IsAssigned(r)) {
        time = Text(RemainingTimeText(static_cast<int32_t>(r.durationMs)));
    }
    swatch_->Show(IsAssigned(r) ? r.colour : 0xC0C0C0, playing, time);
}

void SetupButtonDialog::ChooseFile(const std::string& path) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    search_->clear();
    preview_.Stop();
    const bool ok = model_.AssignFile(path);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        browser_->ClearSelection();
        return;
    }
    Refresh(true);
}

void SetupButtonDialog::FlagsChanged() {
    if (filling_) {
        return;
    }
    FlagBoxes boxes;
    boxes.playWhileTriggered = flagBoxes_[0]->isChecked();
    boxes.pause = flagBoxes_[1]->isChecked();
    boxes.buzzersAndBells = flagBoxes_[2]->isChecked();
    boxes.stopAll = flagBoxes_[3]->isChecked();
    boxes.stopGroup1 = flagBoxes_[4]->isChecked();
    boxes.stopGroup2 = flagBoxes_[5]->isChecked();
    boxes.stopGroup3 = flagBoxes_[6]->isChecked();
    model_.SetFlags(boxes, startGroup_->currentIndex());
    preview_.SetPauseAfterFade(boxes.pause);
}

void SetupButtonDialog::ScrollChanged(QScrollBar* bar, int value) {
    if (filling_) {
        return;
    }
    if (bar == volume_) {
        model_.SetVolume(value);
        preview_.SetVolume(value);
        volumeText_->setText(Text(VolumeText(value)));
    } else if (bar == pan_) {
        model_.SetPan(value);
        preview_.SetPan(value);
        panText_->setText(Text(PanText(value)));
    } else {
        const int inForce = preview_.SetVarispeed(value);
        model_.SetVarispeed(inForce);
        if (inForce != value) {
            const QSignalBlocker quiet(varispeed_);
            varispeed_->setValue(inForce);
        }
        varispeedText_->setText(Text(VarispeedText(inForce)));
        RefreshSwatch();
    }
}

void SetupButtonDialog::FadeTyped(bool fadeIn, int value) {
    if (filling_) {
        return;
    }
    const uint16_t stored = model_.SetFade(fadeIn, value);
    if (stored != value) {
        QSpinBox* spin = fadeIn ? fadeIn_ : fadeOut_;
        const QSignalBlocker quiet(spin);
        spin->setValue(stored);
    }
}

void SetupButtonDialog::EnterStartTime() {
    const std::string shown = model_.EnterStartTime(startTime_->text().toStdString());
    startTime_->setText(Text(shown));
    startTime_->setCursorPosition(std::min(11, static_cast<int>(shown.size())));
}

void SetupButtonDialog::OnTimer() {
    const auto elapsed = static_cast<uint32_t>(clock_.restart());
    const bool wasPlaying = preview_.IsPlaying();
    preview_.Tick(elapsed);
    if (++swatchCountdown_ >= kSwatchEveryTicks || wasPlaying != preview_.IsPlaying()) {
        swatchCountdown_ = 0;
        RefreshSwatch();
    }
}

PreviewSettings SetupButtonDialog::Settings() const {
    const ButtonRecord& r = model_.record();
    PreviewSettings s;
    const ProbedSample& sample = model_.sample();
    if (sample.isSonglist) {
        s.files = sample.entries;
        s.lengthsMs = sample.lengthsMs;
    } else {
        s.files = {std::string(PathOf(r))};
        s.lengthsMs = {static_cast<int32_t>(r.durationMs)};
    }
    s.caption = CaptionForRecord(caption_->toPlainText().toStdString(), PathOf(r));
    s.output = r.output;
    s.volume = r.volume;
    s.pan = r.pan;
    s.varispeed = r.varispeed;
    s.fadeIn = r.fadeIn;
    s.fadeOut = r.fadeOut;
    s.loop = r.loop != 0;
    s.pauseAfterFade = (r.flags & kFlagPause) != 0;
    return s;
}

void SetupButtonDialog::Play() {
    const ButtonRecord& r = model_.record();
    if (!IsAssigned(r)) {
        services_.box.Show("No sample file loaded.\nClick in the list to load.",
                           mb::kOk | mb::kIconStop);
        return;
    }
    PreviewSettings settings = Settings();
    const std::string path(PathOf(r));
    if (model_.sample().isSonglist && settings.files.empty()) {
        ProbedSample songs;
        if (probe_.Probe(path, r.output, songs)) {
            settings.files = songs.entries;
            settings.lengthsMs = songs.lengthsMs;
        }
    }
    if (!preview_.Play(settings)) {
        ReportSampleError(services_.box, settings.files.empty() ? path : settings.files.front(),
                          player_.IsEngineRow(r.output) ? kEngineCannotPlay : kGraphCannotPlay);
    }
    RefreshSwatch();
}

void SetupButtonDialog::StopPreview() {
    preview_.Stop();
    RefreshSwatch();
}

void SetupButtonDialog::ClearRecord() {
    preview_.Stop();
    model_.Clear();
    browser_->ClearSelection();
    Refresh(true);
}

void SetupButtonDialog::ChooseColour() {
    if (preview_.IsPlaying()) {
        return;
    }
    std::array<uint32_t, 16> custom = LoadCustomColours(services_.registry);
    const std::optional<uint32_t> chosen =
        services_.chooseColour ? services_.chooseColour(model_.record().colour, custom)
                               : ChooseColourWithDialog(this, model_.record().colour, custom);
    if (!chosen) {
        return;
    }
    model_.SetColour(*chosen);
    services_.registry.SetDword(settings::kButtonColour, *chosen & 0xFFFFFF);
    StoreCustomColours(services_.registry, custom);
    RefreshSwatch();
}

void SetupButtonDialog::Dig() {
    std::vector<std::string> paths;
    bool clearTerm = false;
    const bool found = DigForFiles(services_.search, services_.box, search_->text().toStdString(),
                                   paths, clearTerm);
    if (clearTerm) {
        search_->clear();
    }
    if (found) {
        ShowDigResults(paths);
    }
}

void SetupButtonDialog::ShowDigResults(const std::vector<std::string>& paths) {
    results_->clear();
    QRect area;
    for (QWidget* w : coveredByResults_) {
        area = area.united(QRect(w->mapTo(this, QPoint(0, 0)), w->size()));
        w->hide();
    }
    for (const std::string& path : paths) {
        auto* item =
            new QListWidgetItem(QFile::decodeName(QByteArray::fromStdString(FileNamePart(path))));
        item->setData(Qt::UserRole, QByteArray::fromStdString(path));
        item->setToolTip(QFile::decodeName(QByteArray::fromStdString(path)));
        results_->addItem(item);
    }
    results_->setGeometry(area.isEmpty() ? QRect(0, 0, 300, 200) : area);
    results_->show();
    results_->raise();
    results_->setFocus();
    qApp->installEventFilter(this);
}

void SetupButtonDialog::HideDigResults() {
    qApp->removeEventFilter(this);
    results_->hide();
    for (QWidget* w : coveredByResults_) {
        w->show();
    }
}

bool SetupButtonDialog::eventFilter(QObject* watched, QEvent* event) {
    // A click anywhere but in the result list gives the covered controls back.
    if (event->type() == QEvent::MouseButtonPress && results_->isVisible()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget != results_ && !results_->isAncestorOf(widget)) {
            HideDigResults();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SetupButtonDialog::mousePressEvent(QMouseEvent* event) {
    if (results_->isVisible()) {
        HideDigResults();
    }
    QDialog::mousePressEvent(event);
}

void SetupButtonDialog::RenameOutput() {
    const OutputTable* table = services_.outputs.table;
    const int index = output_->currentData().toInt();
    if (table && table->asioActive && index >= 0 && index < 4) {
        services_.box.Show("Cannot rename ASIO channels.", mb::kSorry | mb::kIconInformation);
        return;
    }
    if (!table || index < 0 || index >= static_cast<int>(table->entries.size()) ||
        !table->entries[static_cast<size_t>(index)].available ||
        table->entries[static_cast<size_t>(index)].deviceName.empty() || !services_.renameOutput) {
        services_.box.Show("Cannot rename an unavailable output.",
                           mb::kSorry | mb::kIconInformation);
        return;
    }
    const OutputEntry& entry = table->entries[static_cast<size_t>(index)];
    RenameOutputDialog rename(entry.deviceName, entry.displayName, this);
    if (rename.exec() != QDialog::Accepted) {
        return;
    }
    const std::vector<int> rows = services_.renameOutput(index, rename.name());
    FillOutputs();
    const int row = model_.record().output;
    if (row < static_cast<int>(rows.size()) && rows[static_cast<size_t>(row)] >= 0) {
        model_.SetOutput(rows[static_cast<size_t>(row)]);
    }
    Refresh(false);
}

SampleListContent SetupButtonDialog::SonglistContent(const std::string& path) {
    std::vector<std::string> entries;
    ReadPlaylist(path, entries, true);
    std::vector<int32_t> lengths;
    for (const std::string& entry : entries) {
        lengths.push_back(DetectorMediaLength(entry));
    }
    return SonglistList(path, entries, lengths);
}

void SetupButtonDialog::OpenList(const SampleListContent& content,
                                 std::function<SampleListContent()> action) {
    if (services_.showList) {
        services_.showList(content, std::move(action));
        return;
    }
    SampleListDialog list(content, std::move(action), this);
    list.exec();
}

void SetupButtonDialog::ShowData() {
    const std::string path(PathOf(model_.record()));
    if (IsPlaylistFile(path)) {
        OpenList(SonglistContent(path), [this, path] {
            if (services_.editSonglist) {
                services_.editSonglist(path);
            }
            return SonglistContent(path);
        });
        return;
    }
    WavSegmentTable table;
    WaveFormat format;
    std::vector<WavReportRow> report;
    const bool found = ReadWavPlaylist(path, table, format, &report);
    OpenList(PlaylistDataList(report, found), {});
}

void SetupButtonDialog::ShowTriggers() {
    auto records = std::make_unique<RecordArray>(services_.records);
    (*records)[static_cast<size_t>(model_.button())] = model_.record();
    OpenList(SessionTriggerList(*records), {});
}

void SetupButtonDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape: StopPreview(); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The search and start-time boxes act on Enter themselves; it
            // never closes the dialog.
            return;
        default: QDialog::keyPressEvent(event);
    }
}

void SetupButtonDialog::done(int result) {
    preview_.Stop();
    timer_.stop();
    HideDigResults();
    browser_->Close();
    player_.Release();
    QDialog::done(result);
}

}  // namespace tamberline
