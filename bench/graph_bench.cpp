// Media-graph figures: the cost of the 336 graphs created at start-up, and
// the trigger latency from Run to the first buffer the renderer renders,
// cold and warm, beside a plain playbin on the same file.
//
// The renderer is a fakesink that syncs to the clock like a sound card's
// sink and reports each rendered buffer (handoff), so the figures hold the
// graph's own cost without a sound server's latency.
//   graph_bench [runs]
#include <gst/gst.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include "playback/graph/gstreamer.h"
#include "playback/graph/media_graph.h"

namespace {

using Clock = std::chrono::steady_clock;
using tamberline::MediaGraph;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The first buffer a fakesink renders after Arm().
class FirstBuffer {
public:
    GstElement* NewSink() {
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", TRUE, "signal-handoffs", TRUE, nullptr);
        g_signal_connect(sink, "handoff", G_CALLBACK(&FirstBuffer::OnHandoff), this);
        return sink;
    }
    void Arm() {
        std::lock_guard lock(mutex_);
        seen_ = false;
    }
    // Milliseconds from `start` to the first rendered buffer; -1 on time-out.
    double WaitSince(Clock::time_point start) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::seconds(5), [this] { return seen_; })) {
            return -1.0;
        }
        return Ms(when_ - start);
    }

private:
    static void OnHandoff(GstElement*, GstBuffer*, GstPad*, gpointer data) {
        auto* self = static_cast<FirstBuffer*>(data);
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(self->mutex_);
        if (!self->seen_) {
            self->seen_ = true;
            self->when_ = now;
            self->changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool seen_ = true;  // not armed
    Clock::time_point when_;
};

struct Figures {
    std::vector<double> values;
    void Add(double v) { values.push_back(v); }
    double Quantile(double q) {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0.0 : values[static_cast<size_t>(q * (values.size() - 1))];
    }
};

void Print(const char* name, Figures f) {
    std::printf("  %-44s median %8.3f ms   p90 %8.3f ms   max %8.3f ms   (n=%zu)\n", name,
                f.Quantile(0.5), f.Quantile(0.9), f.Quantile(1.0), f.values.size());
}

bool WriteTone(const std::string& path, int seconds) {
    constexpr int kRate = 44100;
    const int frames = kRate * seconds;
    std::ofstream out(path, std::ios::binary);
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    out.write("RIFF", 4);
    put(36 + frames * 4, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(kRate, 4);
    put(kRate * 4, 4);
    put(4, 2);
    put(16, 2);
    out.write("data", 4);
    put(frames * 4, 4);
    for (int f = 0; f < frames; ++f) {
        const auto v =
            static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * f / kRate));
        put(static_cast<uint16_t>(v), 2);
        put(static_cast<uint16_t>(v), 2);
    }
    return static_cast<bool>(out);
}

void CreationFigures(int runs) {
    Figures create;
    Figures destroy;
    for (int run = 0; run < runs; ++run) {
        std::vector<std::unique_ptr<MediaGraph>> graphs;
        const Clock::time_point start = Clock::now();
        for (int button = 0; button < 336; ++button) {
            graphs.push_back(std::make_unique<MediaGraph>(button, nullptr));
        }
        const Clock::time_point made = Clock::now();
        graphs.clear();
        create.Add(Ms(made - start));
        destroy.Add(Ms(Clock::now() - made));
    }
    Print("create 336 idle graphs", create);
    Print("destroy 336 idle graphs", destroy);
}

void LatencyFigures(const std::string& file, int runs) {
    FirstBuffer first;
    Figures cold;
    Figures warm;
    Figures warmStart;
    Figures playbin;
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    for (int run = 0; run < runs; ++run) {
        {
            // Cold: the graph exists from start-up; Run follows RenderFile.
            MediaGraph graph(0, nullptr);
            first.Arm();
            const Clock::time_point start = Clock::now();
            graph.AddRenderer(first.NewSink());
            graph.RenderFile(file);
            graph.Run();
            cold.Add(first.WaitSince(start));
        }
        {
            // Warm: prerolled to paused, then only Run.
            MediaGraph graph(0, nullptr);
            graph.AddRenderer(first.NewSink());
            graph.RenderFile(file);
            first.Arm();
            const Clock::time_point start = Clock::now();
            graph.Run();
            warm.Add(first.WaitSince(start));
        }
        {
            // Warm with the whole start of a button: position, level, Run.
            MediaGraph graph(0, nullptr);
            graph.AddRenderer(first.NewSink());
            graph.RenderFile(file);
            int64_t duration = 0;
            graph.GetDuration(duration);
            first.Arm();
            const Clock::time_point start = Clock::now();
            graph.SetPositions(0, tamberline::seeking::kAbsolutePositioning, duration,
                               tamberline::seeking::kAbsolutePositioning);
            graph.PutVolume(-5000);
            graph.Run();
            warmStart.Add(first.WaitSince(start));
        }
        {
            GstElement* player = gst_element_factory_make("playbin", nullptr);
            first.Arm();
            const Clock::time_point start = Clock::now();
            g_object_set(player, "uri", uri, "audio-sink", first.NewSink(), "video-sink",
                         gst_element_factory_make("fakesink", nullptr), nullptr);
            gst_element_set_state(player, GST_STATE_PLAYING);
            playbin.Add(first.WaitSince(start));
            gst_element_set_state(player, GST_STATE_NULL);
            gst_object_unref(player);
        }
    }
    g_free(uri);
    Print("cold: RenderFile + Run", cold);
    Print("warm: Run on a prerolled graph", warm);
    Print("warm: SetPositions + PutVolume + Run", warmStart);
    Print("cold playbin (NULL to PLAYING)", playbin);
    std::printf("  warm Run is %.1fx faster than cold playbin (medians)\n",
                playbin.Quantile(0.5) / std::max(warm.Quantile(0.5), 1e-6));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    if (!tamberline::EnsureGStreamer()) {
        std::fprintf(stderr, "GStreamer did not start\n");
        return 1;
    }
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/tone.wav";
    if (!dir.isValid() || !WriteTone(file, 2)) {
        std::fprintf(stderr, "cannot write the test file\n");
        return 1;
    }
    std::printf("Media graphs (renderer: fakesink sync=true, 2 s 44.1 kHz 16-bit stereo WAV)\n");
    CreationFigures(runs);
    LatencyFigures(file, runs);
    return 0;
}
