#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>

#include "app/clock.h"
#include "app/console.h"
#include "app/message_box_dialog.h"
#include "files/qt_file_dialog.h"
#include "session/registry.h"

class QLabel;

namespace tamberline {

// The console's one window. It shows the core and turns the operator's
// gestures into commands; the work is done by Console.
class ConsoleWindow : public QMainWindow, private ConsoleView {
    Q_OBJECT
public:
    ConsoleWindow(Registry& registry, ConsoleParts& parts);
    ~ConsoleWindow() override;

    bool Start(const std::string& commandLine);
    void BringToFront();
    MessageBox& messageBox() { return box_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // ConsoleView
    void ShowHeaderMessage(const std::string& text) override;
    void SetWaitCursor(bool wait) override;
    void StartTickTimer() override { timer_.start(); }
    void StopTickTimer() override { timer_.stop(); }
    MonitorRect CurrentWorkArea() const override;

    void PlaceOnStoredMonitor();

    Registry& registry_;
    SystemClock clock_;
    WidgetMessageBox box_;
    QtFileDialog fileDialog_;
    Console console_;
    QTimer timer_;
    QLabel* header_;
    bool tornDown_ = false;
};

}  // namespace tamberline
