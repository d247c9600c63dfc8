#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "app/asio_command.h"
#include "app/asio_control_panel.h"
#include "app/console.h"
#include "app/console_model.h"
#include "app/console_run_control.h"
#include "app/grid_hooks.h"
#include "app/port_switches.h"
#include "app/program_grid_hooks.h"
#include "app/program_parts.h"
#include "app/program_port_hooks.h"
#include "app/run_control.h"
#include "app/songlist_durations.h"
#include "app/ui/grid_fonts.h"
#include "app/ui/list_selection_dialog.h"
#include "app/ui/message_box_dialog.h"
#include "app/ui/test_control.h"
#include "app/ui/video_window.h"
#include "base/clock.h"
#include "cd/ui/cd_dialogs.h"
#include "files/external_editor.h"
#include "files/file_copier.h"
#include "files/file_monitors.h"
#include "files/ui/program_file_dialog.h"
#include "help/help_service.h"
#include "help/ui/qt_help_viewer.h"
#include "net/link_state.h"
#include "session/archive/archive_commands.h"
#include "session/archive/dropped_files.h"
#include "session/registry.h"
#include "session/ui/copy_engine_dialog.h"
#include "setup/search_index.h"

namespace tamberline {

class ButtonGrid;
class MenuBinder;
class SetupDialogs;

// The console's one window. It shows the core and turns the operator's
// gestures into commands; the work is done by Console.
class ConsoleWindow : public QMainWindow, private ConsoleView {
    Q_OBJECT
public:
    // kNone leaves out the engines, graphs and outputs (tests).
    enum class Parts { kProgram, kNone };

    explicit ConsoleWindow(Registry& registry, Parts parts = Parts::kProgram);
    ~ConsoleWindow() override;

    bool Start(const std::string& commandLine);
    void BringToFront();
    // A second start handed over a session path.
    void OpenSessionRequest(const QString& path);
    MessageBox& messageBox() { return box_; }
    QtHelpViewer& helpViewer() { return helpViewer_; }
    ConsoleModel& model() { return *model_; }
    ButtonGrid& buttonGrid() { return *grid_; }
    // The songlist editor on `presetPath` (empty: the last songlist), for
    // the File menu, the button edit command and the Setup Button dialog.
    // Gives the songlist it closed on when that file exists.
    std::optional<std::string> OpenSonglistEditor(const std::string& presetPath);
    CdDialogServices CdServices();
    // The Setup Button and Block assign dialogs (their songlist editor is
    // plugged in here).
    SetupDialogs& setupDialogs() { return *setupDialogs_; }

public slots:
    void RunMenuCommand(int id);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // ConsoleView
    void ShowHeaderMessage(const std::string& text) override;
    void SetWaitCursor(bool wait) override;
    void StartTickTimer() override { timer_.start(); }
    void StopTickTimer() override { timer_.stop(); }
    void ShowClock(const std::string& text) override;
    MonitorRect CurrentWorkArea() const override;

    void PlaceOnStoredMonitor();
    AsioMenuCommand::Hooks AsioHooks();
    bool AnyButtonRunning() const;
    void ToggleLink();
    // The end-to-end tests' control socket (TAMBERLINE_TEST_CONTROL).
    std::string RunTestCommand(const std::string& line);
    void ChooseMenuFont();
    void ChooseButtonFont();
    void EditSample(int button);
    void MakeSetupDialogs();
    // The list of lost and edited samples after a load, and its search.
    void PlugLostSampleDialogs();
    std::vector<int> RenameOutput(int index, const std::string& name);

    Registry& registry_;
    SystemClock clock_;
    LinkState link_;
    WidgetMessageBox box_;
    FileMonitors fileMonitors_;
    DialogCopyRunner copyRunner_;
    DroppedFilesCopier droppedFiles_;
    ProgramFileDialog fileDialog_;
    ExternalEditor editor_;
    QtHelpViewer helpViewer_;
    HelpService help_;
    ConsoleRunControl run_;
    ProgramGridHooks gridHooks_;
    ProgramPortHooks portHooks_;
    std::unique_ptr<ConsoleModel> model_;
    ArchiveCommands archive_;
    Console console_;
    std::unique_ptr<ProgramParts> programParts_;
    std::unique_ptr<VideoWindow> video_;
    DialogListSelectionRunner asioDialog_;
    AsioControlPanels asioPanels_;
    AsioMenuCommand asio_;
    SonglistDurations songlistDurations_;
    std::unique_ptr<TestControl> testControl_;
    QTimer timer_;
    GridFonts fonts_;
    std::unique_ptr<MenuBinder> menus_;
    SearchIndex searchIndex_;
    std::unique_ptr<SetupDialogs> setupDialogs_;
    ButtonGrid* grid_ = nullptr;
    bool started_ = false;
    bool tornDown_ = false;
};

}  // namespace tamberline
