// The video window on a real X server (the test services' virtual display):
// what the graph draws is read back from the screen, the window's caption
// and state from the X server, the sound from a null sink of the test
// sound server.
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/ui/video_window.h"
#include "playback/graph/gstreamer.h"
#include "playback/graph/media_fixtures.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/video_fixtures.h"
#include "playback/video_display.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

void ProcessEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

template <typename Condition>
bool WaitUntil(Condition condition, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}

QString Output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A null sink of this test's own, recorded from its monitor.
class RecordedSink {
public:
    RecordedSink() : sound_(48000, 2) {
        name_ = "tl_video_" + std::to_string(getpid());
        module_ = Output("pactl", {"load-module", "module-null-sink",
                                   QString::fromStdString("sink_name=" + name_)})
                      .trimmed();
        if (module_.isEmpty()) {
            return;
        }
        recorder_ = gst_pipeline_new(nullptr);
        GstElement* source = gst_element_factory_make("pulsesrc", nullptr);
        g_object_set(source, "device", (name_ + ".monitor").c_str(), nullptr);
        GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
        gst_bin_add_many(GST_BIN(recorder_), source, convert, sound_.Renderer(), nullptr);
        gst_element_link_many(source, convert, sound_.Renderer(), nullptr);
        gst_element_set_state(recorder_, GST_STATE_PLAYING);
    }
    ~RecordedSink() {
        if (recorder_ != nullptr) {
            gst_element_set_state(recorder_, GST_STATE_NULL);
            gst_object_unref(recorder_);
        }
        if (!module_.isEmpty()) {
            Output("pactl", {"unload-module", module_});
        }
    }
    bool Loaded() const { return !module_.isEmpty(); }
    GstElement* Renderer() const {
        GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
        g_object_set(sink, "device", name_.c_str(), nullptr);
        return sink;
    }
    // The loudest 10 ms window recorded, in dBFS.
    double PeakDb() const {
        const std::vector<int16_t> samples = sound_.Samples();
        double peak = -200.0;
        for (size_t start = 0; start + 960 <= samples.size(); start += 960) {
            double sum = 0.0;
            for (size_t i = start; i < start + 960; ++i) {
                sum += (samples[i] / 32768.0) * (samples[i] / 32768.0);
            }
            peak = std::max(peak, 10.0 * std::log10(sum / 960 + 1e-20));
        }
        return peak;
    }

private:
    std::string name_;
    QString module_;
    testing::SampleCollector sound_;
    GstElement* recorder_ = nullptr;
};

class VideoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs an X display (source /tmp/tamberline-services/env)";
        }
        ASSERT_TRUE(EnsureGStreamer());
        console_.setWindowTitle("Console");
        console_.setGeometry(10, 10, 300, 200);
        console_.show();
        console_.activateWindow();
        ASSERT_TRUE(WaitUntil([this] { return console_.windowHandle()->isExposed(); }));
    }

    testing::TempDir dir_;
    QWidget console_;
};

TEST_F(VideoWindowTest, ShowsTheBarsCaptionedCentredOnTopWhileTheConsoleKeepsTheKeys) {
    const std::string path = dir_.File("bars.webm");
    ASSERT_TRUE(testing::WriteBarsClip(path, testing::VideoCodec::kVp8InWebM, 320, 240, 3.0));
    std::unique_ptr<RecordedSink> sink;
    if (std::getenv("PULSE_SERVER") != nullptr) {
        sink = std::make_unique<RecordedSink>();
    }
    VideoWindow window(console_, false);
    std::vector<std::string> reports;
    VideoDisplay display([&](const std::string& text) { reports.push_back(text); });
    display.SetScreen(&window);
    MediaGraph graph(11, nullptr);
    graph.ExposeVideo(true);
    if (sink && sink->Loaded()) {
        ASSERT_TRUE(graph.AddRenderer(sink->Renderer()));
    } else {
        ASSERT_TRUE(graph.AddRenderer(gst_element_factory_make("fakesink", nullptr)));
    }
    ASSERT_TRUE(graph.RenderFile(path));
    display.ShowVideo(11, graph, path);
    ASSERT_TRUE(graph.Run());
    ASSERT_TRUE(WaitUntil([&] { return window.isVisible(); }));
    ProcessEventsFor(700);

    const QRect shown = window.geometry();
    EXPECT_EQ(shown.size(), QSize(320, 240));
    const QRect work = window.screen()->availableGeometry();
    EXPECT_LE(std::abs(shown.center().x() - work.center().x()), 1);
    EXPECT_LE(std::abs(shown.center().y() - work.center().y()), 1);
    const QImage picture = window.screen()
                               ->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height())
                               .toImage();
    std::string why;
    EXPECT_TRUE(testing::ShowsColourBars(
        picture.width(), picture.height(),
        [&](int x, int y) {
            const QColor c = picture.pixelColor(x, y);
            return std::array<int, 3>{c.red(), c.green(), c.blue()};
        },
        &why))
        << why;

    // What the X server holds of the window: its caption, top-most.
    const QString properties =
        Output("xprop", {"-id", QString::number(window.winId()), "WM_NAME", "_NET_WM_STATE"});
    EXPECT_TRUE(properties.contains("\"Button 12\"")) << properties.toStdString();
    EXPECT_TRUE(properties.contains("_NET_WM_STATE_ABOVE")) << properties.toStdString();
    // The keyboard stays with the console.
    EXPECT_EQ(QGuiApplication::focusWindow(), console_.windowHandle());
    EXPECT_TRUE(reports.empty());
    if (sink && sink->Loaded()) {
        EXPECT_GT(sink->PeakDb(), -20.0);  // the tone at half scale is about -9 dBFS
    }

    display.HideVideo(11);
    graph.Stop();
    ASSERT_TRUE(WaitUntil([&] { return !window.isVisible(); }));
    ProcessEventsFor(200);
    const QString info = Output("xwininfo", {"-id", QString::number(window.winId())});
    EXPECT_TRUE(info.contains("IsUnMapped")) << info.toStdString();
    graph.RemoveAll();
}

}  // namespace
}  // namespace tamberline

int main(int argc, char** argv) {
    // The window needs a real X server; without one the tests skip.
    const QByteArray display = qgetenv("DISPLAY");
    const bool hasServer = display.startsWith(':') &&
                           std::filesystem::exists("/tmp/.X11-unix/X" +
                                                   display.mid(1).split('.').front().toStdString());
    qputenv("QT_QPA_PLATFORM", hasServer ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
