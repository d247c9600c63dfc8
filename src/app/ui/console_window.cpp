#include "app/ui/console_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include "app/ui/button_grid.h"
#include "app/ui/menu_binder.h"
#include "app/ui/session_info_dialog.h"
#include "cd/ui/cd_dialogs.h"
#include "help/help_location.h"
#include "help/help_topics.h"
#include "net/net_link_part.h"
#include "net/ui/network_connect_dialog.h"
#include "playback/graph/media_length.h"
#include "playback/outputs_part.h"
#include "session/session_paths.h"
#include "session/settings.h"
#include "session/ui/sample_search_window.h"
#include "setup/ui/lost_sample_list_dialog.h"
#include "setup/ui/setup_dialogs.h"
#include "songlist/ui/songlist_editor.h"
#include "triggers/ui/midi_ports_dialog.h"
#include "triggers/ui/pbus_setup_dialog.h"

namespace tamberline {

namespace {
constexpr int kTickMs = 10;
constexpr int kModalRetryMs = 200;
constexpr int kClockStatusField = 15;
}  // namespace

ConsoleWindow::ConsoleWindow(Registry& registry, Parts parts)
    : registry_(registry),
      box_(this),
      copyRunner_(this),
      droppedFiles_(box_, copyRunner_),
      fileDialog_(this, box_, fileMonitors_, droppedFiles_),
      editor_(registry, fileDialog_),
      helpViewer_(this),
      help_(registry, box_, helpViewer_, InstalledHelpFolders()),
      run_(box_, DocumentsFolder(), link_),
      model_(std::make_unique<ConsoleModel>(ConsoleModelServices{
          box_, fileDialog_, registry, run_, gridHooks_, link_, portHooks_, DocumentsFolder()})),
      archive_(ArchiveServices{model_->session(), box_, fileDialog_, registry, copyRunner_,
                               [this] { return AnyButtonRunning(); }, DocumentsFolder()}),
      console_(model_->session(), registry, clock_, *this),
      asioDialog_(this, [this](const std::string& topic) { help_.ShowHelpTopic(topic); }),
      asioPanels_(registry, box_, fileDialog_),
      asio_(registry, box_, asioDialog_, asioPanels_, AsioHooks()),
      songlistDurations_([this]() -> const RecordArray& { return model_->session().records(); },
                         DetectorMediaLength,
                         [this](const std::string& path, int32_t lengthMs) {
                             model_->ApplySonglistLength(path, lengthMs);
                         }),
      fonts_(LoadGridFonts(registry)) {
    if (parts == Parts::kProgram) {
        programParts_ = std::make_unique<ProgramParts>(ProgramParts::Services{
            registry, box_, [this](const std::string& text) { ShowHeaderMessage(text); }, run_,
            model_->session(), model_->ports(), portHooks_,
            [this](int field, const std::string& text) {
                model_->grid().SetStatusField(field, text);
            },
            console_.tick(),
            [this](MidiDriver& driver) {
                return RunMidiPortsDialog(this, driver, registry_, box_);
            },
            helpViewer_, &asioDialog_, &asioPanels_,
            [this] {
                return RunPbusSetupDialog(this, registry_,
                                          [this] { help_.ShowHelpTopic(help::kPbus); });
            },
            [this] { model_->grid().RefreshStatusLine(); }, link_, *model_,
            [this] { box_.CloseOpenBox(); }, &fileDialog_});
        programParts_->RegisterWith(console_);
        gridHooks_.SetLink(&programParts_->link().link());
        video_ = std::make_unique<VideoWindow>(*this, registry.IsOn(settings::kVideoFullScreen));
        run_.video().SetScreen(video_.get());
        model_->SetTimecodeRebuild([this] { programParts_->RebuildTimecodeTable(); });
        gridHooks_.SetOutputs(&programParts_->outputs());
        gridHooks_.SetSampleEditor([this](int button) { EditSample(button); });
        PlugLostSampleDialogs();
    } else {
        console_.AddPart(model_->ports());
    }
    gridHooks_.SetHelp(&help_);
    MakeSetupDialogs();
    setWindowTitle(QStringLiteral("Tamberline"));
    menus_ = std::make_unique<MenuBinder>(model_->menu(), *menuBar());
    menus_->SetMenuFont(fonts_.menu);
    connect(menus_.get(), &MenuBinder::CommandTriggered, this, &ConsoleWindow::RunMenuCommand);
    grid_ = new ButtonGrid(model_->grid(), model_->gestures(), fonts_);
    grid_->SetMenuHeight(menuBar()->sizeHint().height());
    grid_->SetPageLocator([this](QPoint at) { return menus_->PageAt(at); });
    setCentralWidget(grid_);

    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { console_.Tick(); });
    const QByteArray control = qgetenv("TAMBERLINE_TEST_CONTROL");
    if (!control.isEmpty() && programParts_) {
        testControl_ = std::make_unique<TestControl>(
            QString::fromLocal8Bit(control),
            [this](const std::string& line) { return RunTestCommand(line); });
    }
    run_.AttachSession(&model_->session(),
                       [this](int button) { model_->grid().DrawButton(button); });
    PlaceOnStoredMonitor();
}

ConsoleWindow::~ConsoleWindow() {
    if (!tornDown_) {
        console_.Teardown();
    }
    run_.video().SetScreen(nullptr);
    // The grid widget shows the model, so it goes before the model does.
    delete grid_;
}

bool ConsoleWindow::Start(const std::string& commandLine) {
    show();
    if (!console_.Start(commandLine)) {
        return false;
    }
    run_.ReloadAll();
    model_->grid().SetSessionActive(true);
    grid_->setFocus();
    started_ = true;
    return true;
}

void ConsoleWindow::RunMenuCommand(int id) {
    if (model_->RunCommand(id)) {
        return;
    }
    switch (id) {
        case cmd::kAsio: asio_.Run(); break;
        case cmd::kReadArchive: archive_.ReadArchive(); break;
        case cmd::kWriteArchive: archive_.WriteArchive(); break;
        case cmd::kCloneSession: archive_.CloneSession(); break;
        case cmd::kMidiSetup:
            if (programParts_) {
                programParts_->SetupMidiPorts();
            }
            break;
        case cmd::kSmpteSetup:
            if (programParts_) {
                programParts_->SetupSmpte();
            }
            break;
        case cmd::kPbusSetup:
            if (programParts_) {
                programParts_->SetupPbus();
            }
            break;
        case cmd::kConnect: ToggleLink(); break;
        case cmd::kMenuFont: ChooseMenuFont(); break;
        case cmd::kButtonFont: ChooseButtonFont(); break;
        case cmd::kSonglist: OpenSonglistEditor(""); break;
        case cmd::kCdRipper: RunCdRipper(CdServices(), this); break;
        case cmd::kCdBurner: RunCdBurner(CdServices(), this); break;
        case cmd::kHelp: help_.ShowHelpTopic(help::kGetStarted); break;
        case cmd::kSessionInfo: {
            SessionInfoDialog listing(model_->session().sessionPath(), model_->session().records(),
                                      this);
            listing.exec();
            break;
        }
        case cmd::kLogs: {
            SessionInfoDialog log(run_.runLog(), box_, this);
            log.exec();
            break;
        }
        case cmd::kExit: close(); break;
        default: break;
    }
}

AsioMenuCommand::Hooks ConsoleWindow::AsioHooks() {
    AsioMenuCommand::Hooks hooks;
    hooks.anyButtonRunning = [this] { return AnyButtonRunning(); };
    hooks.drivers = [this] {
        return programParts_ ? programParts_->outputs().EngineDrivers()
                             : std::vector<std::string>();
    };
    hooks.outputsChanged = [this] {
        SetWaitCursor(true);
        if (programParts_) {
            programParts_->outputs().Build();
        }
        ShowHeaderMessage("");
        model_->grid().RefreshStatusLine();
        // Every file is examined afresh at its next start.
        for (int button = 0; button < kButtonCount; ++button) {
            run_.MarkForReload(button);
        }
        SetWaitCursor(false);
    };
    return hooks;
}

bool ConsoleWindow::AnyButtonRunning() const {
    for (int button = 0; button < kButtonCount; ++button) {
        if (!run_.State(button).IsIdle()) {
            return true;
        }
    }
    return false;
}

void ConsoleWindow::ToggleLink() {
    if (!programParts_ || !programParts_->link().EnsureAvailable()) {
        return;
    }
    NetLink& link = programParts_->link().link();
    if (link.connected()) {
        link.Disconnect();
        return;
    }
    RunNetworkConnect(this, link, box_, programParts_->consoleFinder());
}

void ConsoleWindow::ChooseMenuFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, fonts_.menu, this, QStringLiteral("Menu font"),
                                              QFontDialog::ScalableFonts);
    if (ok && StoreMenuFont(registry_, fonts_, chosen)) {
        // The help window is laid out in the old font; it opens afresh.
        helpViewer_.Close();
        menus_->SetMenuFont(fonts_.menu);
        grid_->SetFonts(fonts_);
        grid_->SetMenuHeight(menuBar()->sizeHint().height());
    }
}

void ConsoleWindow::ChooseButtonFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(
        &ok, fonts_.caption, this, QStringLiteral("Button font"), QFontDialog::ScalableFonts);
    if (ok && StoreButtonFont(registry_, fonts_, chosen)) {
        grid_->SetFonts(fonts_);
    }
}

void ConsoleWindow::PlugLostSampleDialogs() {
    using Answer = ConsoleSessionHost::LostSampleAnswer;
    model_->SetLostSampleList([this](const RecordArray& records, const SampleCheckResult& result) {
        LostSampleListDialog list(SampleCheckLines(records, result), !result.lost.empty(), this);
        switch (list.exec()) {
            case LostSampleListDialog::kClearLostSamples: return Answer::kClearLostSamples;
            case LostSampleListDialog::kFind: return Answer::kFind;
            default: return Answer::kIgnore;
        }
    });
    // "Find" after a failed start: the same window, while playback goes on.
    auto* window = new SampleSearchWindow(this);
    LostSampleFinder& finder = run_.finder();
    window->SetCancel([&finder] { finder.Cancel(); });
    finder.SetProgress([window](const std::string& line) { window->Post(line); });
    finder.SetShown([window](bool searching) { window->setVisible(searching); });
    model_->SetLostSampleSearch([this](RecordArray& records) {
        return RunSampleSearch(records, SystemSearchPlaces(), this);
    });
}

void ConsoleWindow::MakeSetupDialogs() {
    SetupDialogServices services(registry_, box_, fileMonitors_, droppedFiles_, SystemDrives(),
                                 model_->session().records());
    if (programParts_) {
        OutputsPart& outputs = programParts_->outputs();
        services.outputs = {&outputs.table(), &outputs.list(), &outputs.catalog(),
                            &run_.controller().preview()};
        services.renameOutput = [this](int index, const std::string& name) {
            return RenameOutput(index, name);
        };
    }
    services.runLog = &run_.runLog();
    services.editor = &editor_;
    services.search = &searchIndex_;
    services.showHelp = [this](const std::string& topic) { help_.ShowHelpTopic(topic); };
    services.defaultFolder = WithTrailingSlash(QDir::homePath().toStdString());
    setupDialogs_ = std::make_unique<SetupDialogs>(services, this);
    setupDialogs_->SetDriveLister(SystemDrives);
    setupDialogs_->SetSonglistEditor([this](const std::string& path) { OpenSonglistEditor(path); });
    gridHooks_.SetSetupDialogs(
        [this](int button) {
            RunSetupButton(model_->editContext(), button,
                           [this](int b, const ButtonRecord& record) {
                               return setupDialogs_->RunSetupButton(b, record);
                           });
        },
        [this](const std::vector<int>& buttons) {
            RunBlockAssign(model_->editContext(), buttons,
                           [this](const std::vector<ButtonRecord>& records) {
                               return setupDialogs_->RunBlockAssign(records);
                           });
        });
}

std::vector<int> ConsoleWindow::RenameOutput(int index, const std::string& name) {
    std::vector<int> rows = programParts_->outputs().Rename(index, name);
    // Buttons keep their output, wherever it now sorts in the list.
    for (int button : model_->session().FollowRenamedOutputs(rows)) {
        run_.MarkForReload(button);
    }
    model_->grid().RepaintPage();
    return rows;
}

void ConsoleWindow::EditSample(int button) {
    SampleEditHooks hooks = SampleEditHooksFor(run_);
    hooks.openSonglistEditor = [this](const std::string& path) { OpenSonglistEditor(path); };
    EditButtonSample(button, model_->session().records(), editor_, box_, hooks);
}

std::optional<std::string> ConsoleWindow::OpenSonglistEditor(const std::string& presetPath) {
    const SonglistEditorServices services{
        box_,
        fileMonitors_,
        fileDialog_,
        droppedFiles_,
        registry_,
        SystemDrives(),
        DetectorMediaLength,
        [this](const std::string& path, const SonglistEntries::Lengths& known) {
            songlistDurations_.Saved(path, known);
        },
        [this](const std::string& topic) { help_.ShowHelpTopic(topic); }};
    return RunSonglistEditor(services, presetPath, this);
}

CdDialogServices ConsoleWindow::CdServices() {
    return CdDialogServices{box_,
                            registry_,
                            fileMonitors_,
                            fileDialog_,
                            droppedFiles_,
                            SystemDrives(),
                            [this](const std::string& topic) { help_.ShowHelpTopic(topic); },
                            {},
                            {},
                            {},
                            {}};
}

void ConsoleWindow::OpenSessionRequest(const QString& path) {
    // A question already on screen is answered first, and the start-up
    // finishes before anything else is opened; the request waits.
    if (!started_ || QApplication::activeModalWidget()) {
        QTimer::singleShot(kModalRetryMs, this, [this, path] { OpenSessionRequest(path); });
        return;
    }
    model_->session().OpenSessionRequest(path.toStdString());
}

void ConsoleWindow::BringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
    if (!console_.Exit()) {
        event->ignore();
        return;
    }
    console_.Teardown();
    tornDown_ = true;
    event->accept();
}

void ConsoleWindow::ShowHeaderMessage(const std::string& text) {
    model_->grid().ShowMessage(text);
}

void ConsoleWindow::ShowClock(const std::string& text) {
    model_->grid().SetStatusField(kClockStatusField, text);
}

void ConsoleWindow::SetWaitCursor(bool wait) {
    if (wait) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

MonitorRect ConsoleWindow::CurrentWorkArea() const {
    const QScreen* where = screen();
    if (!where) {
        return {};
    }
    const QRect area = where->availableGeometry();
    return {area.x(), area.y(), area.x() + area.width(), area.y() + area.height()};
}

void ConsoleWindow::PlaceOnStoredMonitor() {
    const MonitorRect rect = ParseMonitorValue(registry_.String(settings::kMonitor));
    const QRect wanted(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
    QScreen* target = QGuiApplication::primaryScreen();
    for (QScreen* candidate : QGuiApplication::screens()) {
        if (candidate->availableGeometry().contains(wanted)) {
            target = candidate;
            break;
        }
    }
    if (target) {
        setGeometry(target->availableGeometry());
    }
}

}  // namespace tamberline
