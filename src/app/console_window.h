#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>

#include "app/clock.h"
#include "app/console.h"
#include "app/console_model.h"
#include "app/console_run_control.h"
#include "app/grid_fonts.h"
#include "app/grid_hooks.h"
#include "app/message_box_dialog.h"
#include "app/port_switches.h"
#include "app/program_grid_hooks.h"
#include "app/program_parts.h"
#include "app/run_control.h"
#include "files/qt_file_dialog.h"
#include "playback/sound/asio_command.h"
#include "playback/sound/asio_control_panel.h"
#include "playback/sound/list_selection_dialog.h"
#include "session/registry.h"

namespace tamberline {

class ButtonGrid;
class MenuBinder;

// The console's one window. It shows the core and turns the operator's
// gestures into commands; the work is done by Console.
class ConsoleWindow : public QMainWindow, private ConsoleView {
    Q_OBJECT
public:
    // The window of the running program, on its own parts.
    explicit ConsoleWindow(Registry& registry);
    // A window on parts the caller provides (tests).
    ConsoleWindow(Registry& registry, ConsoleParts& parts);
    ~ConsoleWindow() override;

    bool Start(const std::string& commandLine);
    void BringToFront();
    // A second start handed over a session path.
    void OpenSessionRequest(const QString& path);
    MessageBox& messageBox() { return box_; }
    ConsoleModel& model() { return *model_; }
    ButtonGrid& buttonGrid() { return *grid_; }

public slots:
    void RunMenuCommand(int id);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ConsoleWindow(Registry& registry, ConsoleParts* parts);

    // ConsoleView
    void ShowHeaderMessage(const std::string& text) override;
    void SetWaitCursor(bool wait) override;
    void StartTickTimer() override { timer_.start(); }
    void StopTickTimer() override { timer_.stop(); }
    MonitorRect CurrentWorkArea() const override;

    void PlaceOnStoredMonitor();
    AsioMenuCommand::Hooks AsioHooks();
    void ChooseMenuFont();
    void ChooseButtonFont();

    Registry& registry_;
    SystemClock clock_;
    WidgetMessageBox box_;
    QtFileDialog fileDialog_;
    ConsoleRunControl run_;
    ProgramGridHooks gridHooks_{programParts_};
    PortHooks portHooks_;
    std::unique_ptr<ConsoleModel> model_;
    std::unique_ptr<ProgramParts> programParts_;
    ConsoleParts& parts_;
    Console console_;
    DialogListSelectionRunner asioDialog_;
    AsioControlPanels asioPanels_;
    AsioMenuCommand asio_;
    QTimer timer_;
    GridFonts fonts_;
    std::unique_ptr<MenuBinder> menus_;
    ButtonGrid* grid_ = nullptr;
    bool tornDown_ = false;
};

}  // namespace tamberline
