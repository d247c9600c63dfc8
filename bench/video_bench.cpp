// Video figures: from a button's trigger to its first picture at the video
// renderer, median over 50 starts, for two picture sizes. A start prepares
// the file (render), hands the picture to the display and runs the graph,
// as run control does. On an X display (DISPLAY set) the renderer is the
// program's X renderer in a window of its own; without one, a fakesink.
//   video_bench [starts]
#include <gst/gst.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "playback/graph/gstreamer.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/video_renderer.h"
#include "playback/video_display.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tamberline;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool Write(const std::string& path, int width, int height) {
    const std::string pipeline =
        "videotestsrc pattern=smpte num-buffers=50 ! video/x-raw,format=I420,width=" +
        std::to_string(width) + ",height=" + std::to_string(height) +
        ",framerate=25/1 ! vp8enc deadline=1 ! webmmux name=mux audiotestsrc num-buffers=90 ! "
        "audioconvert ! vorbisenc ! mux. mux. ! filesink location=\"" +
        path + "\"";
    GError* error = nullptr;
    GstElement* writer = gst_parse_launch(pipeline.c_str(), &error);
    if (error != nullptr) {
        g_error_free(error);
        return false;
    }
    gst_element_set_state(writer, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(writer);
    GstMessage* done = gst_bus_timed_pop_filtered(
        bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = done != nullptr && GST_MESSAGE_TYPE(done) == GST_MESSAGE_EOS;
    if (done != nullptr) {
        gst_message_unref(done);
    }
    gst_object_unref(bus);
    gst_element_set_state(writer, GST_STATE_NULL);
    gst_object_unref(writer);
    return ok;
}

// Notes when the display asks for the window: the first picture has reached
// the renderer.
class TimedScreen final : public VideoScreen {
public:
    GstElement* MakeRenderer() override {
        if (std::getenv("DISPLAY") != nullptr) {
            return MakeVideoRenderer(0, "");
        }
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", TRUE, nullptr);
        return sink;
    }
    PictureArea Area() const override { return {1280, 800, false}; }
    void Show(const std::string&, int, int) override {
        std::lock_guard lock(mutex_);
        shown_ = Clock::now();
        seen_ = true;
        changed_.notify_all();
    }
    void Hide() override {}
    void Arm() {
        std::lock_guard lock(mutex_);
        seen_ = false;
    }
    double WaitSince(Clock::time_point start) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::seconds(5), [this] { return seen_; })) {
            return -1.0;
        }
        return Ms(shown_ - start);
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool seen_ = false;
    Clock::time_point shown_;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

void Measure(const std::string& path, const char* label, int starts) {
    TimedScreen screen;
    int notShown = 0;
    VideoDisplay display([&notShown](const std::string&) { ++notShown; });
    display.SetScreen(&screen);
    MediaGraph graph(0, nullptr);
    std::vector<double> total;
    std::vector<double> afterPrepare;
    int failed = 0;
    for (int i = 0; i < starts; ++i) {
        screen.Arm();
        const Clock::time_point trigger = Clock::now();
        GstElement* sound = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sound, "sync", TRUE, nullptr);
        graph.ExposeVideo(true);
        if (!graph.AddRenderer(sound) || !graph.RenderFile(path)) {
            ++failed;
            graph.RemoveAll();
            continue;
        }
        const Clock::time_point prepared = Clock::now();
        display.ShowVideo(0, graph, path);
        if (!graph.ShowsPicture()) {
            ++notShown;
        }
        graph.Run();
        const double ms = screen.WaitSince(trigger);
        if (ms < 0) {
            ++failed;
        } else {
            total.push_back(ms);
            afterPrepare.push_back(ms - Ms(prepared - trigger));
        }
        display.HideVideo(0);
        graph.RemoveAll();
    }
    std::printf(
        "%-10s trigger -> first picture: median %.1f ms, max %.1f ms; after the file "
        "is prepared: median %.1f ms (%zu starts, %d failed, %d not shown)\n",
        label, Median(total), total.empty() ? -1.0 : *std::max_element(total.begin(), total.end()),
        Median(afterPrepare), total.size(), failed, notShown);
}

}  // namespace

int main(int argc, char** argv) {
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    if (!EnsureGStreamer()) {
        std::fprintf(stderr, "GStreamer is not available\n");
        return 1;
    }
    QTemporaryDir dir;
    const std::string small = dir.filePath("small.webm").toStdString();
    const std::string hd = dir.filePath("hd.webm").toStdString();
    if (!Write(small, 320, 240) || !Write(hd, 1280, 720)) {
        std::fprintf(stderr, "cannot write the clips\n");
        return 1;
    }
    std::printf("renderer: %s\n", std::getenv("DISPLAY") != nullptr ? "ximagesink" : "fakesink");
    Measure(small, "320x240", starts);
    Measure(hd, "1280x720", starts);
    return 0;
}
