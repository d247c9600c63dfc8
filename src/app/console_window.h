#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

#include "app/clock.h"
#include "app/console.h"
#include "app/message_box_dialog.h"
#include "app/program_parts.h"
#include "files/qt_file_dialog.h"
#include "session/registry.h"

class QAction;
class QLabel;
class QMenu;

namespace tamberline {

// The console's one window. It shows the core and turns the operator's
// gestures into commands; the work is done by Console.
class ConsoleWindow : public QMainWindow, private ConsoleView {
    Q_OBJECT
public:
    explicit ConsoleWindow(Registry& registry);
    ~ConsoleWindow() override;

    bool Start(const std::string& commandLine);
    void BringToFront();
    // A second start handed over a session path.
    void OpenSessionRequest(const QString& path);
    Console& console() { return console_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // ConsoleView
    void ShowHeaderMessage(const std::string& text) override;
    void ShowTitle(const std::string& title) override;
    void ShowModified(bool modified) override;
    void ShowRecentList(const std::array<std::string, kRecentCount>& entries) override;
    void SetWaitCursor(bool wait) override;
    void StartTickTimer() override { timer_.start(); }
    void StopTickTimer() override { timer_.stop(); }
    MonitorRect CurrentWorkArea() const override;

    void BuildFileMenu();
    void PlaceOnStoredMonitor();

    Registry& registry_;
    SystemClock clock_;
    WidgetMessageBox box_;
    QtFileDialog fileDialog_;
    ProgramParts parts_;
    Console console_;
    QTimer timer_;
    QLabel* header_;
    QLabel* title_;
    QMenu* fileMenu_ = nullptr;
    QAction* undo_ = nullptr;
    std::array<QAction*, kRecentCount> recent_{};
    bool tornDown_ = false;
};

}  // namespace tamberline
