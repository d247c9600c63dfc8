#include "triggers/timecode/capture_reader.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <algorithm>

#include "playback/graph/gstreamer.h"
#include "triggers/timecode/ltc_decoder.h"

namespace tamberline {

namespace {

constexpr GstClockTime kPullWait = 100 * GST_MSECOND;
constexpr GstClockTime kStartWait = 2 * GST_SECOND;

}  // namespace

std::vector<std::string> GstCaptureSource::Devices() {
    std::vector<std::string> names;
    for (const AudioSinkDevice& device : catalog_.Enumerate()) {
        if (!device.friendlyName.empty() &&
            std::find(names.begin(), names.end(), device.friendlyName) == names.end()) {
            names.push_back(device.friendlyName);
        }
    }
    return names;
}

std::unique_ptr<CaptureStream> GstCaptureSource::Open(const std::string& device, BlockFn block,
                                                      LostFn lost) {
    if (!EnsureGStreamer()) {
        return nullptr;
    }
    GstElement* source = catalog_.CreateRenderer(device);
    if (source == nullptr) {
        return nullptr;
    }
    GstElement* pipeline = gst_pipeline_new("ltc-capture");
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (convert == nullptr || resample == nullptr || sink == nullptr) {
        for (GstElement* e : {source, convert, resample, sink}) {
            if (e != nullptr) {
                gst_object_unref(e);
            }
        }
        gst_object_unref(pipeline);
        return nullptr;
    }
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "U8", "channels",
                                        G_TYPE_INT, 1, "rate", G_TYPE_INT, LtcDecoder::kSampleRate,
                                        "layout", G_TYPE_STRING, "interleaved", nullptr);
    g_object_set(sink, "caps", caps, "sync", FALSE, "max-buffers", 64, nullptr);
    gst_caps_unref(caps);
    gst_bin_add_many(GST_BIN(pipeline), source, convert, resample, sink, nullptr);
    if (!gst_element_link_many(source, convert, resample, sink, nullptr) ||
        gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE ||
        gst_element_get_state(pipeline, nullptr, nullptr, kStartWait) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        return nullptr;
    }
    return std::make_unique<CaptureReader>(pipeline, sink, clock_, std::move(block),
                                           std::move(lost));
}

CaptureReader::CaptureReader(GstElement* pipeline, GstElement* sink, const Clock& clock,
                             CaptureSource::BlockFn block, CaptureSource::LostFn lost)
    : pipeline_(pipeline),
      sink_(sink),
      clock_(clock),
      block_(std::move(block)),
      lost_(std::move(lost)),
      thread_([this] { Run(); }) {}

CaptureReader::~CaptureReader() {
    stop_.store(true);
    thread_.join();
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    gst_object_unref(pipeline_);
}

bool CaptureReader::Failed() {
    GstBus* bus = gst_element_get_bus(pipeline_);
    GstMessage* message =
        gst_bus_pop_filtered(bus, static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
    gst_object_unref(bus);
    if (message == nullptr) {
        return false;
    }
    gst_message_unref(message);
    return true;
}

void CaptureReader::Run() {
    std::vector<uint8_t> block;
    block.reserve(LtcDecoder::kBlockBytes);
    while (!stop_.load()) {
        if (Failed()) {
            if (lost_) {
                lost_();
            }
            return;
        }
        GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink_), kPullWait);
        if (sample == nullptr) {
            continue;
        }
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            size_t at = 0;
            while (at < map.size) {
                const size_t take = std::min(map.size - at, LtcDecoder::kBlockBytes - block.size());
                block.insert(block.end(), map.data + at, map.data + at + take);
                at += take;
                if (block.size() == LtcDecoder::kBlockBytes) {
                    block_(block, clock_.TickCount());
                    block.clear();
                }
            }
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
}

}  // namespace tamberline
