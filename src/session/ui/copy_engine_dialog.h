#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>

#include "session/archive/copy_runner.h"

class QLabel;
class QProgressBar;

namespace tamberline {

class CopyControl;

// The copy engine's progress dialog: two lines of text, a progress bar and
// "Cancel"; its caption names the mode. Cancel, Esc, Enter and closing the
// window cancel the copy; the dialog closes once the worker has stopped,
// with OK when the job finished and Cancel otherwise.
class CopyEngineDialog final : public QDialog {
    Q_OBJECT
public:
    CopyEngineDialog(const std::string& caption, CopyControl& control,
                     std::function<void()> fileDone, QWidget* parent = nullptr);

    // Closes the dialog with this result once the worker reports its end.
    void SetOutcomeSource(std::function<bool()> done) { done_ = std::move(done); }
    QLabel& line1() { return *line1_; }
    QLabel& line2() { return *line2_; }
    QProgressBar& bar() { return *bar_; }

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Poll();

    CopyControl& control_;
    std::function<void()> fileDone_;
    std::function<bool()> done_;
    size_t filesSeen_ = 0;
    QLabel* line1_ = nullptr;
    QLabel* line2_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QTimer timer_;
};

// The program's runner: the work on a worker thread, the progress dialog
// on the GUI thread (the console's tick and every other window go on).
class DialogCopyRunner final : public CopyRunner {
public:
    explicit DialogCopyRunner(QWidget* owner) : owner_(owner) {}
    CopyOutcome Run(const std::string& caption, const CopyWork& work,
                    const std::function<void()>& fileDone = {}) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace tamberline
