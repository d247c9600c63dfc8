#include "playback/graph/media_fixtures.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <QDir>
#include <cmath>
#include <fstream>
#include <numbers>
#include <thread>

#include "playback/graph/gstreamer.h"

namespace tamberline::testing {
namespace {

void Put16(std::ofstream& out, uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(b, 2);
}

void Put32(std::ofstream& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

int CountEntries(const char* folder) {
    return static_cast<int>(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

}  // namespace

bool WriteWav(const std::string& path, int channels, int rate, int frames, const SampleFn& sample) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = static_cast<uint32_t>(frames * channels * 2);
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(channels));
    Put32(out, static_cast<uint32_t>(rate));
    Put32(out, static_cast<uint32_t>(rate * channels * 2));
    Put16(out, static_cast<uint16_t>(channels * 2));
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, dataBytes);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            Put16(out, static_cast<uint16_t>(sample(f, c)));
        }
    }
    return static_cast<bool>(out);
}

int16_t Ramp(int frame, int) {
    return static_cast<int16_t>(frame & 0x7FFF);
}

SampleFn Tone(double hz, double amplitude, int rate) {
    return [=](int frame, int) {
        return static_cast<int16_t>(std::lround(
            32767.0 * amplitude * std::sin(2.0 * std::numbers::pi * hz * frame / rate)));
    };
}

bool WriteMediaFile(const std::string& path, const std::string& pipeline) {
    if (!EnsureGStreamer()) {
        return false;
    }
    GError* error = nullptr;
    GstElement* writer =
        gst_parse_launch((pipeline + " ! filesink location=\"" + path + "\"").c_str(), &error);
    if (error != nullptr) {
        g_error_free(error);
        if (writer != nullptr) {
            gst_object_unref(writer);
        }
        return false;
    }
    gst_element_set_state(writer, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(writer);
    GstMessage* done = gst_bus_timed_pop_filtered(
        bus, 30 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = done != nullptr && GST_MESSAGE_TYPE(done) == GST_MESSAGE_EOS;
    if (done != nullptr) {
        gst_message_unref(done);
    }
    gst_object_unref(bus);
    gst_element_set_state(writer, GST_STATE_NULL);
    gst_object_unref(writer);
    return ok;
}

struct SampleCollector::Access {
    static GstFlowReturn OnSample(GstAppSink* sink, gpointer data) {
        auto* self = static_cast<SampleCollector*>(data);
        GstSample* sample = gst_app_sink_pull_sample(sink);
        if (sample == nullptr) {
            return GST_FLOW_OK;
        }
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const auto* values = reinterpret_cast<const int16_t*>(map.data);
            std::lock_guard lock(self->mutex_);
            self->samples_.insert(self->samples_.end(), values, values + map.size / 2);
            if (const GstSegment* segment = gst_sample_get_segment(sample)) {
                self->segmentRate_ = segment->rate;
            }
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
        return GST_FLOW_OK;
    }
};

SampleCollector::SampleCollector(int rate, int channels, bool realTime) {
    EnsureGStreamer();
    sink_ = GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("appsink", nullptr)));
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout",
                                        G_TYPE_STRING, "interleaved", "rate", G_TYPE_INT, rate,
                                        "channels", G_TYPE_INT, channels, nullptr);
    g_object_set(sink_, "caps", caps, "sync", realTime ? TRUE : FALSE, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &Access::OnSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink_), &callbacks, this, nullptr);
}

SampleCollector::~SampleCollector() {
    gst_element_set_state(sink_, GST_STATE_NULL);
    gst_object_unref(sink_);
}

std::vector<int16_t> SampleCollector::Samples() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

double SampleCollector::SegmentRate() const {
    std::lock_guard lock(mutex_);
    return segmentRate_;
}

void EventWaiter::OnMediaEvent(int button) {
    {
        std::lock_guard lock(mutex_);
        buttons_.push_back(button);
    }
    notified_.notify_all();
}

bool EventWaiter::WaitFor(MediaGraph& graph, MediaEventCode code, std::chrono::milliseconds timeout,
                          std::vector<MediaEventCode>* seen) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        size_t notifications = 0;
        {
            std::lock_guard lock(mutex_);
            notifications = buttons_.size();
        }
        MediaEvent event;
        while (graph.GetEvent(event)) {
            if (seen != nullptr) {
                seen->push_back(event.code);
            }
            if (event.code == code) {
                return true;
            }
        }
        std::unique_lock lock(mutex_);
        if (!notified_.wait_until(lock, deadline,
                                  [&] { return buttons_.size() != notifications; })) {
            return false;
        }
    }
}

std::vector<int> EventWaiter::NotifiedButtons() const {
    std::lock_guard lock(mutex_);
    return buttons_;
}

int CountThreads() {
    return CountEntries("/proc/self/task");
}

int SettledThreadCount(int atMost, std::chrono::milliseconds within) {
    const auto end = std::chrono::steady_clock::now() + within;
    int count = CountThreads();
    while (count > atMost && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        count = CountThreads();
    }
    return count;
}

int CountOpenFiles() {
    return CountEntries("/proc/self/fd");
}

}  // namespace tamberline::testing
