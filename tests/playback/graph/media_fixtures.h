#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "playback/graph/media_graph.h"

namespace tamberline::testing {

// Writes a 16-bit PCM WAV file; `sample` gives each frame's value per channel.
using SampleFn = std::function<int16_t(int frame, int channel)>;
bool WriteWav(const std::string& path, int channels, int rate, int frames, const SampleFn& sample);

// A counter that shows every dropped or repeated sample.
int16_t Ramp(int frame, int channel);
SampleFn Tone(double hz, double amplitude, int rate);

// Writes a small media file through GStreamer, e.g. "videotestsrc
// num-buffers=25 ! theoraenc ! oggmux" (the file sink is appended).
bool WriteMediaFile(const std::string& path, const std::string& pipeline);

// A renderer that keeps what reaches it as interleaved 16-bit samples, as
// fast as the graph can play, or at the pace of a sound card.
class SampleCollector {
public:
    SampleCollector(int rate, int channels, bool realTime = false);
    ~SampleCollector();
    SampleCollector(const SampleCollector&) = delete;
    SampleCollector& operator=(const SampleCollector&) = delete;

    GstElement* Renderer() const { return sink_; }
    std::vector<int16_t> Samples() const;
    // The playback rate of the last buffer's segment.
    double SegmentRate() const;

    struct Access;

private:
    GstElement* sink_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<int16_t> samples_;
    double segmentRate_ = 1.0;
};

// Stands in for the console: counts WM_MEDIA_EVENT notifications and fetches
// the graph's events.
class EventWaiter final : public MediaEventSink {
public:
    void OnMediaEvent(int button) override;
    // Takes the graph's events until one with `code` comes; false on time-out.
    // Events taken on the way are appended to `seen`.
    bool WaitFor(MediaGraph& graph, MediaEventCode code, std::chrono::milliseconds timeout,
                 std::vector<MediaEventCode>* seen = nullptr);
    std::vector<int> NotifiedButtons() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable notified_;
    std::vector<int> buttons_;
};

int CountThreads();
// The thread count once it is at most `atMost`, or the last count after
// `within`: threads of GStreamer's that are ending leave in their own time.
int SettledThreadCount(int atMost, std::chrono::milliseconds within = std::chrono::seconds(3));
int CountOpenFiles();

}  // namespace tamberline::testing
