#include "session/ui/sample_search_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>

#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

namespace fs = std::filesystem;

class SampleSearchWindowTest : public ::testing::Test {
protected:
    std::string Make(const std::string& relative, const std::string& bytes) {
        fs::create_directories((fs::path(dir_.Path()) / "tree" / relative).parent_path());
        return dir_.Write("tree/" + relative, bytes);
    }
    SampleSearchPlaces WalkOnly() const {
        SampleSearchPlaces places;
        places.roots = {dir_.Path() + "/tree"};
        return places;
    }

    TempDir dir_;
    std::unique_ptr<RecordArray> records_ = std::make_unique<RecordArray>();
};

// A session written on Windows names its sample "D:\Show\intro.wav": found
// again by name and size in a local folder, never by a file of another size.
TEST_F(SampleSearchWindowTest, WindowsPathFoundByNameAndSizeOnAWorker) {
    Make("a/intro.wav", "123");
    const std::string right = Make("b/c/intro.wav", "12345");
    ButtonRecord& lost = (*records_)[3];
    SetPath(lost, "D:\\Show\\intro.wav");
    lost.status = STATUS_LOST;
    lost.fileSize = 5;
    EXPECT_TRUE(RunSampleSearch(*records_, WalkOnly(), nullptr));
    EXPECT_EQ(PathOf((*records_)[3]), right);
    EXPECT_EQ((*records_)[3].status, STATUS_ASSIGNED);
}

TEST_F(SampleSearchWindowTest, ProgressShownAndEscapeCancelsWhileTheWindowStaysResponsive) {
    Make("a/x.wav", "1");
    Make("b/intro.wav", "12345");
    ButtonRecord& lost = (*records_)[0];
    SetPath(lost, "/old/intro.wav");
    lost.status = STATUS_LOST;
    lost.fileSize = 5;

    // The worker is held in the first folder of the walk until the test has
    // seen it named in the window and pressed Escape, so the search cannot
    // end before.
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    auto observe = [&](const std::string& line) {
        if (line.rfind("  /", 0) != 0) {
            return;
        }
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return released; });
    };
    QString title;
    QString shown;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        auto* window = qobject_cast<SampleSearchWindow*>(QApplication::activeModalWidget());
        if (!window || !window->StatusText().startsWith("  /")) {
            return;
        }
        press.stop();
        title = window->windowTitle();
        shown = window->StatusText();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window, &escape);
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    });
    press.start(10);
    EXPECT_FALSE(RunSampleSearch(*records_, WalkOnly(), nullptr, observe));
    EXPECT_EQ(title, "Searching...");
    EXPECT_EQ(shown.toStdString(), "  " + dir_.Path() + "/tree");
    EXPECT_EQ((*records_)[0].status, STATUS_LOST);
    EXPECT_EQ(PathOf((*records_)[0]), "/old/intro.wav");
}

}  // namespace
}  // namespace tamberline::testing
