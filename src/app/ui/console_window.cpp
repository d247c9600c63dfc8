#include "app/ui/console_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include "app/ui/button_grid.h"
#include "app/ui/menu_binder.h"
#include "help/help_location.h"
#include "help/help_topics.h"
#include "net/net_link_part.h"
#include "net/ui/network_connect_dialog.h"
#include "playback/outputs_part.h"
#include "session/session_paths.h"
#include "triggers/ui/midi_ports_dialog.h"

namespace tamberline {

namespace {
constexpr int kTickMs = 10;
constexpr int kModalRetryMs = 200;
constexpr int kClockStatusField = 15;
}  // namespace

ConsoleWindow::ConsoleWindow(Registry& registry, Parts parts)
    : registry_(registry),
      box_(this),
      fileDialog_(this, box_, fileMonitors_),
      editor_(registry, fileDialog_),
      helpViewer_(this),
      help_(registry, box_, helpViewer_, InstalledHelpFolders()),
      run_(box_, DocumentsFolder(), link_),
      model_(std::make_unique<ConsoleModel>(ConsoleModelServices{
          box_, fileDialog_, registry, run_, gridHooks_, link_, portHooks_, DocumentsFolder()})),
      console_(model_->session(), registry, clock_, *this),
      asioDialog_(this, [this](const std::string& topic) { help_.ShowHelpTopic(topic); }),
      asioPanels_(registry, box_, fileDialog_),
      asio_(registry, box_, asioDialog_, asioPanels_, AsioHooks()),
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
            helpViewer_, link_, *model_, [this] { box_.CloseOpenBox(); }});
        programParts_->RegisterWith(console_);
        gridHooks_.SetLink(&programParts_->link().link());
        gridHooks_.SetOutputs(&programParts_->outputs());
        gridHooks_.SetSampleEditor([this](int button) { EditSample(button); });
    } else {
        console_.AddPart(model_->ports());
    }
    gridHooks_.SetHelp(&help_);
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
        case cmd::kMidiSetup:
            if (programParts_) {
                programParts_->SetupMidiPorts();
            }
            break;
        case cmd::kConnect: ToggleLink(); break;
        case cmd::kMenuFont: ChooseMenuFont(); break;
        case cmd::kButtonFont: ChooseButtonFont(); break;
        case cmd::kHelp: help_.ShowHelpTopic(help::kGetStarted); break;
        case cmd::kExit: close(); break;
        default: break;
    }
}

AsioMenuCommand::Hooks ConsoleWindow::AsioHooks() {
    AsioMenuCommand::Hooks hooks;
    hooks.anyButtonRunning = [this] {
        for (int button = 0; button < kButtonCount; ++button) {
            if (!run_.State(button).IsIdle()) {
                return true;
            }
        }
        return false;
    };
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

void ConsoleWindow::EditSample(int button) {
    EditButtonSample(button, model_->session().records(), editor_, box_, SampleEditHooksFor(run_));
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
