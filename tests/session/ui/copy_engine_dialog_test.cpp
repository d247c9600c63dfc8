#include "session/ui/copy_engine_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <atomic>
#include <thread>

#include "session/archive/copy_control.h"

namespace tamberline {
namespace {

// The work a test hands the runner: reports a file, then waits for the
// cancel (or finishes at once).
CopyOutcome WorkUntilCancelled(CopyControl& control, std::atomic<bool>& started) {
    control.StartFile(1, 3, "kick.wav");
    control.SetFileProgress(500, 1000);
    started = true;
    while (!control.Cancelled()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    CopyOutcome outcome;
    outcome.kind = CopyOutcome::Kind::kCancelled;
    return outcome;
}

CopyEngineDialog* OpenDialog() {
    return qobject_cast<CopyEngineDialog*>(QApplication::activeModalWidget());
}

TEST(CopyEngineDialogTest, ShowsTheFileAndEachKeyOrButtonCancels) {
    for (const int key : {int(Qt::Key_Escape), int(Qt::Key_Return), 0}) {
        DialogCopyRunner runner(nullptr);
        std::atomic<bool> started{false};
        std::string line1, line2, caption;
        int permille = -1;
        QTimer::singleShot(0, [&] {
            QTimer* poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, [&, poll] {
                CopyEngineDialog* dialog = OpenDialog();
                if (!dialog || !started || dialog->line1().text().isEmpty()) {
                    return;
                }
                poll->deleteLater();
                caption = dialog->windowTitle().toStdString();
                line1 = dialog->line1().text().toStdString();
                line2 = dialog->line2().text().toStdString();
                permille = dialog->bar().value();
                if (key != 0) {
                    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                    QApplication::sendEvent(dialog, &press);
                } else {
                    dialog->close();  // the window's close box
                }
            });
            poll->start(10);
        });
        const CopyOutcome outcome = runner.Run("Write Archive.", [&](CopyControl& control) {
            return WorkUntilCancelled(control, started);
        });
        EXPECT_EQ(outcome.kind, CopyOutcome::Kind::kCancelled) << key;
        EXPECT_EQ(caption, "Write Archive.");
        EXPECT_EQ(line1, "Copying file 1 of 3.");
        EXPECT_EQ(line2, "kick.wav");
        EXPECT_EQ(permille, 500);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(CopyEngineDialogTest, ClosesWithOkWhenTheJobFinishedAndReportsEveryFile) {
    DialogCopyRunner runner(nullptr);
    int files = 0;
    int result = -1;
    QTimer::singleShot(0, [&] {
        QObject* dialog = OpenDialog();
        ASSERT_NE(dialog, nullptr);
        QObject::connect(qobject_cast<QDialog*>(dialog), &QDialog::finished,
                         [&result](int code) { result = code; });
    });
    const CopyOutcome outcome = runner.Run(
        "Copy 2 files.",
        [](CopyControl& control) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            control.FileCompleted();
            control.FileCompleted();
            return CopyOutcome{};
        },
        [&files] { ++files; });
    EXPECT_TRUE(outcome.Done());
    EXPECT_EQ(files, 2);
    EXPECT_EQ(result, QDialog::Accepted);
}

}  // namespace
}  // namespace tamberline
