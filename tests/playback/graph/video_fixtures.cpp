#include "playback/graph/video_fixtures.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstdlib>

#include "playback/graph/media_fixtures.h"

namespace tamberline::testing {

bool WriteBarsClip(const std::string& path, VideoCodec codec, int width, int height, double seconds,
                   bool withSound) {
    const int frames = static_cast<int>(seconds * 25);
    const int blocks = static_cast<int>(seconds * 44100 / 1024);
    std::string encoder;
    std::string audioEncoder = "vorbisenc";
    std::string mux = "webmmux";
    switch (codec) {
        case VideoCodec::kVp8InWebM: encoder = "vp8enc deadline=1"; break;
        case VideoCodec::kVp9InWebM: encoder = "vp9enc deadline=1 cpu-used=8"; break;
        case VideoCodec::kTheoraInOgg:
            encoder = "theoraenc";
            mux = "oggmux";
            break;
    }
    std::string pipeline = "videotestsrc pattern=smpte num-buffers=" + std::to_string(frames) +
                           " ! video/x-raw,format=I420,width=" + std::to_string(width) +
                           ",height=" + std::to_string(height) + ",framerate=25/1 ! " + encoder +
                           " ! " + mux + " name=mux";
    if (withSound) {
        pipeline += " audiotestsrc freq=440 volume=0.5 samplesperbuffer=1024 num-buffers=" +
                    std::to_string(blocks) + " ! audioconvert ! " + audioEncoder + " ! mux.";
    }
    pipeline += " mux.";
    return WriteMediaFile(path, pipeline);
}

bool WriteEightKClip(const std::string& path) {
    return WriteMediaFile(
        path,
        "videotestsrc pattern=black num-buffers=2 ! "
        "video/x-raw,format=I420,width=7680,height=4320,framerate=25/1 ! jpegenc ! "
        "matroskamux name=mux audiotestsrc num-buffers=130 ! audioconvert ! vorbisenc ! mux. "
        "mux.");
}

bool ShowsColourBars(int width, int height, const PixelFn& pixel, std::string* why) {
    // White, yellow, cyan, green, magenta, red, blue (videotestsrc's bars
    // are at full level).
    static constexpr std::array<std::array<int, 3>, 7> kBars{{{255, 255, 255},
                                                              {255, 255, 0},
                                                              {0, 255, 255},
                                                              {0, 255, 0},
                                                              {255, 0, 255},
                                                              {255, 0, 0},
                                                              {0, 0, 255}}};
    constexpr int kTolerance = 48;  // lossy coding and scaling
    for (size_t bar = 0; bar < kBars.size(); ++bar) {
        const int x = static_cast<int>((2 * bar + 1) * width / 14);
        const int y = height / 3;
        const std::array<int, 3> seen = pixel(x, y);
        for (int c = 0; c < 3; ++c) {
            if (std::abs(seen[c] - kBars[bar][c]) > kTolerance) {
                if (why != nullptr) {
                    *why = "bar " + std::to_string(bar) + " at " + std::to_string(x) + "," +
                           std::to_string(y) + " is " + std::to_string(seen[0]) + "/" +
                           std::to_string(seen[1]) + "/" + std::to_string(seen[2]);
                }
                return false;
            }
        }
    }
    return true;
}

struct PictureCollector::Access {
    static GstFlowReturn OnSample(GstAppSink* sink, gpointer data) {
        auto* self = static_cast<PictureCollector*>(data);
        GstSample* sample = gst_app_sink_pull_sample(sink);
        if (sample == nullptr) {
            return GST_FLOW_OK;
        }
        GstVideoInfo info;
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) && buffer != nullptr &&
            gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            std::lock_guard lock(self->mutex_);
            ++self->frames_;
            self->width_ = GST_VIDEO_INFO_WIDTH(&info);
            self->height_ = GST_VIDEO_INFO_HEIGHT(&info);
            const size_t stride = static_cast<size_t>(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
            self->last_.clear();
            for (int row = 0; row < self->height_; ++row) {
                const uint8_t* line = map.data + stride * static_cast<size_t>(row);
                self->last_.insert(self->last_.end(), line, line + 4 * self->width_);
            }
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
        return GST_FLOW_OK;
    }
};

PictureCollector::PictureCollector() {
    sink_ = GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("appsink", nullptr)));
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=RGBx");
    g_object_set(sink_, "caps", caps, "sync", TRUE, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = Access::OnSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink_), &callbacks, this, nullptr);
}

PictureCollector::~PictureCollector() {
    gst_element_set_state(sink_, GST_STATE_NULL);
    gst_object_unref(sink_);
}

int PictureCollector::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

bool PictureCollector::Last(std::vector<uint8_t>& rgbx, int& width, int& height) const {
    std::lock_guard lock(mutex_);
    rgbx = last_;
    width = width_;
    height = height_;
    return frames_ > 0;
}

}  // namespace tamberline::testing
