// Figures of run control. Prints them; it asserts nothing.
//
//   run_bench           the tick's cost with 336 running buttons, and the
//                       delay of a start while the GUI thread is blocked
//   run_bench --jack    also a trigger's start to the first sound at the
//                       engine's output on the JACK dummy server
//   run_bench --graph   also a start to the first sound handed to a media
//                       graph's renderer, and the steps a graph's stop
//                       leaves (needs GStreamer only)

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <sndfile.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "jack_recorder.h"
#include "playback/engine_outputs.h"
#include "playback/graph/audio_sinks.h"
#include "playback/graph/gstreamer.h"
#include "playback/graph/media_graph.h"
#include "playback/run_controller.h"
#include "playback/sound/offline_backend.h"
#include "playback/sound/portaudio_backend.h"
#include "playback/sound/sound_system.h"

using namespace tamberline;
using SteadyClock = std::chrono::steady_clock;

namespace {

class QuietHost final : public RunHost {
public:
    void RecordChanged(int, const ButtonRecord&, uint32_t) override {}
    void AskAboutFailedStart(int, const std::string&, int) override {}
    void ShowSonglistWarning() override {}
};

std::string WriteTone(const std::string& folder, double seconds) {
    const std::string path = folder + "/tone.wav";
    SF_INFO info{};
    info.channels = 2;
    info.samplerate = 48000;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    const auto frames = static_cast<sf_count_t>(seconds * 48000);
    std::vector<float> data(static_cast<size_t>(frames) * 2);
    for (sf_count_t i = 0; i < frames; ++i) {
        // A cosine: the first sample is already sound.
        const float v = 0.25f * static_cast<float>(std::cos(2.0 * M_PI * 440.0 * i / 48000));
        data[static_cast<size_t>(2 * i)] = v;
        data[static_cast<size_t>(2 * i + 1)] = v;
    }
    sf_writef_float(f, data.data(), frames);
    sf_close(f);
    return path;
}

ButtonRecord Record(const std::string& path, int output) {
    ButtonRecord record{};
    SetPath(record, path);
    record.status = STATUS_ASSIGNED;
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    record.output = static_cast<uint8_t>(output);
    return record;
}

void EngineOutputs(RunController& run, int pairs, bool card = false) {
    OutputTable table;
    for (int p = 0; p < pairs; ++p) {
        const std::string name =
            "ASIO " + std::to_string(2 * p + 1) + "+" + std::to_string(2 * p + 2);
        table.entries.push_back({name, name, true});
    }
    if (card) {
        table.entries.push_back({"Card", "Card", false});
    }
    OutputList list;
    list.Fill(table);
    run.SetOutputs(table, list);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// (c) One 10 ms pass of fades and one 100 ms pass of clocks over 336
// running buttons, every one of them fading in (the dearest case).
void TickCost(const std::string& path) {
    QuietHost host;
    RunController run({&host, nullptr, nullptr, nullptr, nullptr, nullptr, {}, {}});
    SoundSystem system;
    auto backend = std::make_unique<OfflineBackend>(48000, 256);
    system.SetOutputBackend(std::move(backend));
    system.Init(336);
    run.SetEngine(&system);
    EngineOutputs(run, 4);
    ButtonRecord record = Record(path, 0);
    record.loop = 1;
    record.fadeIn = 600;  // a minute: it never ends while measuring
    for (int b = 0; b < kButtonCount; ++b) {
        run.LoadRecord(b, record);
        run.StartButton(b);
    }
    run.Drain();
    int running = 0;
    for (int b = 0; b < kButtonCount; ++b) {
        running += run.Snapshot(b).running ? 1 : 0;
    }
    ButtonRunner& runner = run.runner();  // the control thread is idle now
    const int passes = 1000;
    auto t0 = SteadyClock::now();
    for (int i = 0; i < passes; ++i) {
        runner.RunFades(10);
    }
    auto t1 = SteadyClock::now();
    for (int i = 0; i < passes / 10; ++i) {
        runner.RunClocks(100);
    }
    auto t2 = SteadyClock::now();
    const double fades = std::chrono::duration<double, std::milli>(t1 - t0).count() / passes;
    const double clocks =
        std::chrono::duration<double, std::milli>(t2 - t1).count() / (passes / 10);
    std::printf(
        "  (c) %d running buttons: fades %.4f ms per 10 ms pass, clocks %.4f ms per 100 ms "
        "pass, %.4f ms per 10 ms tick on average\n",
        running, fades, clocks, fades + clocks / 10);
    run.Shutdown();
}

// (d) The GUI thread (here: the main thread) is blocked for 2 s while a
// trigger thread requests starts; fades run on the control thread's tick.
void BlockedGui(const std::string& path) {
    QuietHost host;
    RunController run({&host, nullptr, nullptr, nullptr, nullptr, nullptr, {}, {}});
    SoundSystem system;
    system.SetOutputBackend(std::make_unique<OfflineBackend>(48000, 256));
    system.Init(336);
    run.SetEngine(&system);
    EngineOutputs(run, 4);
    ButtonRecord fading = Record(path, 0);
    fading.fadeIn = 10;
    fading.loop = 1;
    run.LoadRecord(0, fading);
    for (int b = 1; b <= 20; ++b) {
        run.LoadRecord(b, Record(path, 0));
    }
    run.StartTicking();
    run.StartButton(0);
    std::vector<double> delays;
    std::thread trigger([&] {
        for (int b = 1; b <= 20; ++b) {
            std::this_thread::sleep_for(std::chrono::milliseconds(80));
            const auto asked = SteadyClock::now();
            run.RequestStarts({b});
            while (!run.Snapshot(b).running) {
                std::this_thread::yield();
            }
            delays.push_back(
                std::chrono::duration<double, std::milli>(SteadyClock::now() - asked).count());
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the blocked GUI
    trigger.join();
    const bool fadeDone = !run.Snapshot(0).fadingIn && run.Snapshot(0).running;
    std::printf(
        "  (d) GUI blocked 2 s: start delay median %.3f ms, max %.3f ms over %zu starts; "
        "1 s fade-in %s\n",
        Median(delays), *std::max_element(delays.begin(), delays.end()), delays.size(),
        fadeDone ? "finished on time" : "NOT finished");
    run.Shutdown();
}

// (a) A trigger's start request to the first sound at the engine's output.
void JackStart(const std::string& path) {
    testing::JackRecorder recorder(6.0);
    if (!recorder.Open()) {
        std::printf("  (a) JACK: no server\n");
        return;
    }
    const std::string player = "tamberline-runbench-" + std::to_string(::getpid());
    SoundSystem system;
    if (!testing::StartEngineOnJack(system, recorder, player)) {
        std::printf("  (a) JACK: the engine did not start\n");
        return;
    }
    QuietHost host;
    RunController run({&host, nullptr, nullptr, nullptr, nullptr, nullptr, {}, {}});
    run.SetEngine(&system);
    EngineOutputs(run, 4);
    run.StartTicking();
    std::vector<double> ms;
    std::printf("  (a) JACK period 256 at 48 kHz (5.33 ms), request to first sound, ms:");
    for (int trial = 0; trial < 10; ++trial) {
        const int button = trial;
        run.LoadRecord(button, Record(path, 0));
        run.Drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const size_t before = recorder.Recorded();
        const jack_nframes_t asked = recorder.FrameTime();
        std::thread trigger([&] { run.RequestStarts({button}); });
        trigger.join();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        run.StopButton(button);
        run.Drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const size_t after = recorder.Recorded();
        const std::vector<float>& data = recorder.Channel(0);
        for (size_t i = before; i < after && i < data.size(); ++i) {
            if (data[i] != 0.0f) {
                const jack_nframes_t heard = recorder.StartTime() + static_cast<jack_nframes_t>(i);
                ms.push_back(static_cast<int>(heard - asked) * 1000.0 / 48000.0);
                std::printf(" %.2f", ms.back());
                break;
            }
        }
    }
    std::printf("\n      median %.2f ms (target: one period + 1 ms = 6.33 ms)\n", Median(ms));
    run.Shutdown();
}

// A renderer that notes when the first sound reaches it, clocked in real time.
struct FirstSoundSink {
    GstElement* sink = nullptr;
    std::atomic<int64_t> firstNs{0};
    std::mutex mutex;
    std::vector<int16_t> left;  // what the renderer got, left channel
    static GstFlowReturn OnSample(GstAppSink* appsink, gpointer self) {
        auto* me = static_cast<FirstSoundSink*>(self);
        GstSample* sample = gst_app_sink_pull_sample(appsink);
        GstMapInfo map;
        if (sample && gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ)) {
            const auto* s = reinterpret_cast<const int16_t*>(map.data);
            std::lock_guard lock(me->mutex);
            for (size_t i = 0; i < map.size / 2; i += 2) {
                me->left.push_back(s[i]);
            }
            gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
        }
        if (sample && me->firstNs.load() == 0) {
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                const auto* s = reinterpret_cast<const int16_t*>(map.data);
                for (size_t i = 0; i < map.size / 2; ++i) {
                    if (s[i] != 0) {
                        me->firstNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          SteadyClock::now().time_since_epoch())
                                          .count();
                        break;
                    }
                }
                gst_buffer_unmap(buffer, &map);
            }
        }
        if (sample) {
            gst_sample_unref(sample);
        }
        return GST_FLOW_OK;
    }
};

class OneSinkCatalog final : public AudioSinkCatalog {
public:
    std::vector<AudioSinkDevice> Enumerate() override { return {{"Card", true, false}}; }
    GstElement* CreateRenderer(const std::string&) override {
        GstElement* sink = gst_element_factory_make("appsink", nullptr);
        GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "rate",
                                            G_TYPE_INT, 48000, "channels", G_TYPE_INT, 2, nullptr);
        g_object_set(sink, "caps", caps, "sync", TRUE, nullptr);
        gst_caps_unref(caps);
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = &FirstSoundSink::OnSample;
        current.firstNs = 0;
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, &current, nullptr);
        return sink;
    }
    FirstSoundSink current;
};

// (c) Stops of the tone (0.25 of full scale, 440 Hz) 300 ms into play: the
// largest move between two samples the renderer got, silence after the last
// counted, against the tone's own largest move.
void GraphStopClick(RunController& run, OneSinkCatalog& catalog, const std::string& path) {
    int worst = 0;
    int trials = 0;
    for (int trial = 0; trial < 20; ++trial) {
        run.LoadRecord(1, Record(path, 0));
        run.Drain();
        {
            std::lock_guard lock(catalog.current.mutex);
            catalog.current.left.clear();
        }
        run.RequestStarts({1});
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + 7 * trial));
        run.StopButton(1);
        run.Drain();
        std::lock_guard lock(catalog.current.mutex);
        std::vector<int16_t>& left = catalog.current.left;
        if (left.size() < 4800) {
            continue;
        }
        left.push_back(0);
        int largest = 0;
        for (size_t i = 1; i < left.size(); ++i) {
            largest = std::max(largest, std::abs(left[i] - left[i - 1]));
        }
        worst = std::max(worst, largest);
        ++trials;
    }
    const double own = 0.25 * 32767.0 * 2.0 * M_PI * 440.0 / 48000.0;
    std::printf(
        "  (c) media graph stop de-click: largest step %d (of 32767) over %d stops;"
        " the tone's own %.0f; a cut would be up to %.0f\n",
        worst, trials, own, 0.25 * 32767.0);
}

// (b) A start request to the first sound handed to the graph's renderer.
void GraphStart(const std::string& path) {
    EnsureGStreamer();
    QuietHost host;
    OneSinkCatalog catalog;
    RunController run({&host, nullptr, nullptr, nullptr, &catalog, nullptr, {}, {}});
    std::vector<std::unique_ptr<MediaGraph>> graphs;
    std::vector<MediaGraph*> pointers;
    for (int b = 0; b < 2; ++b) {
        graphs.push_back(std::make_unique<MediaGraph>(b, &run));
        pointers.push_back(graphs.back().get());
    }
    run.SetGraphs(pointers);
    EngineOutputs(run, 0, true);
    run.StartTicking();
    // Every start renders the file afresh (a stopped graph is emptied), so
    // the first start and later ones take the same path.
    std::vector<double> ms;
    for (int trial = 0; trial < 10; ++trial) {
        run.LoadRecord(1, Record(path, 0));
        run.Drain();
        catalog.current.firstNs = 0;
        const auto asked = SteadyClock::now();
        run.RequestStarts({1});
        while (catalog.current.firstNs.load() == 0 &&
               SteadyClock::now() - asked < std::chrono::seconds(3)) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        const int64_t first = catalog.current.firstNs.load();
        if (first != 0) {
            const int64_t askedNs =
                std::chrono::duration_cast<std::chrono::nanoseconds>(asked.time_since_epoch())
                    .count();
            ms.push_back(static_cast<double>(first - askedNs) / 1e6);
            std::printf(
                "%s %.2f",
                trial == 0 ? "  (b) media graph, request to first sound at the renderer, ms:" : "",
                ms.back());
        }
        run.StopButton(1);
        run.Drain();
    }
    std::printf("\n      first start %.2f ms, median %.2f ms over %zu starts\n",
                ms.empty() ? 0.0 : ms[0], Median(ms), ms.size());
    GraphStopClick(run, catalog, path);
    run.Shutdown();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir folder;
    const std::string path = WriteTone(folder.path().toStdString(), 5.0);
    std::printf("Run control\n");
    TickCost(path);
    BlockedGui(path);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--jack") == 0) {
            JackStart(path);
        }
        if (std::strcmp(argv[i], "--graph") == 0) {
            GraphStart(path);
        }
    }
    return 0;
}
