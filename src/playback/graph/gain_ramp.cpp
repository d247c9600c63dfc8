#include "playback/graph/gain_ramp.h"

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <algorithm>

namespace tamberline {

void GainRamp::SetGain(double gain, bool ramp) {
    std::lock_guard lock(mutex_);
    level_ = gain;
    if (command_.kind != Kind::kFadeOut) {
        command_ = {Kind::kLevel, gain, ramp, command_.version + 1};
    }
}

void GainRamp::FadeOut() {
    std::lock_guard lock(mutex_);
    if (command_.kind == Kind::kFadeOut) {
        return;
    }
    fadedOut_.store(false, std::memory_order_release);
    silentFromNs_.store(-1, std::memory_order_release);
    command_ = {Kind::kFadeOut, 0.0, true, command_.version + 1};
}

void GainRamp::FadeIn() {
    std::lock_guard lock(mutex_);
    fadedOut_.store(false, std::memory_order_release);
    command_ = {Kind::kFadeIn, level_, true, command_.version + 1};
}

bool GainRamp::FadingOut() const {
    std::lock_guard lock(mutex_);
    return command_.kind == Kind::kFadeOut;
}

GainRamp::Command GainRamp::Take() {
    std::lock_guard lock(mutex_);
    return command_;
}

void GainRamp::Flush() {
    flushed_ = true;
}

void GainRamp::Apply(float* samples, size_t frames, int channels, int rate, int64_t endNs) {
    const Command c = Take();
    if (c.version != seen_ || flushed_) {
        const bool afresh = flushed_;
        seen_ = c.version;
        flushed_ = false;
        target_ = c.gain;
        const double ms = c.kind != Kind::kLevel ? kFadeMs : c.ramp && !afresh ? kStepMs : 0.0;
        if (afresh && c.kind == Kind::kFadeIn) {
            current_ = 0.0;
        }
        if (ms == 0.0 || (afresh && c.kind == Kind::kFadeOut)) {
            current_ = target_;
            left_ = 0;
        } else {
            left_ = std::max<size_t>(1, static_cast<size_t>(rate * ms / 1000.0));
            step_ = (target_ - current_) / static_cast<double>(left_);
        }
    }
    const auto width = static_cast<size_t>(channels);
    if (left_ > 0 || current_ != 1.0) {
        for (size_t f = 0; f < frames; ++f) {
            if (left_ > 0) {
                current_ = --left_ == 0 ? target_ : current_ + step_;
            }
            const auto gain = static_cast<float>(current_);
            for (size_t ch = 0; ch < width; ++ch) {
                samples[f * width + ch] *= gain;
            }
        }
    }
    if (c.kind == Kind::kFadeOut && left_ == 0 && !fadedOut_.load(std::memory_order_relaxed)) {
        silentFromNs_.store(endNs, std::memory_order_release);
        fadedOut_.store(true, std::memory_order_release);
    }
}

namespace {

// What the probe on the graph's sound knows of the stream.
struct RampProbe {
    std::shared_ptr<GainRamp> ramp;
    GstSegment segment;
    int rate = 0;
    int channels = 0;

    void Level(GstBuffer* buffer) {
        GstMapInfo map;
        if (rate <= 0 || channels <= 0 || !gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
            return;
        }
        const size_t frames = map.size / (sizeof(float) * static_cast<size_t>(channels));
        int64_t endNs = -1;
        if (GST_BUFFER_PTS_IS_VALID(buffer) && segment.format == GST_FORMAT_TIME) {
            const GstClockTime end =
                GST_BUFFER_PTS(buffer) + gst_util_uint64_scale_int(frames, GST_SECOND, rate);
            const guint64 stream = gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, end);
            endNs = stream == GST_CLOCK_TIME_NONE ? -1 : static_cast<int64_t>(stream);
        }
        ramp->Apply(reinterpret_cast<float*>(map.data), frames, channels, rate, endNs);
        gst_buffer_unmap(buffer, &map);
    }

    static GstPadProbeReturn OnData(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<RampProbe*>(data);
        if ((GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) != 0) {
            GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
            GST_PAD_PROBE_INFO_DATA(info) = buffer;
            self->Level(buffer);
        } else if ((GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER_LIST) != 0) {
            GstBufferList* list =
                gst_buffer_list_make_writable(GST_PAD_PROBE_INFO_BUFFER_LIST(info));
            GST_PAD_PROBE_INFO_DATA(info) = list;
            for (guint i = 0; i < gst_buffer_list_length(list); ++i) {
                self->Level(gst_buffer_list_get_writable(list, i));
            }
        } else if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info)) {
            self->Event(event);
        }
        return GST_PAD_PROBE_OK;
    }

    void Event(GstEvent* event) {
        switch (GST_EVENT_TYPE(event)) {
            case GST_EVENT_CAPS: {
                GstCaps* caps = nullptr;
                gst_event_parse_caps(event, &caps);
                GstAudioInfo audio;
                const bool floats = gst_audio_info_from_caps(&audio, caps) &&
                                    GST_AUDIO_INFO_FORMAT(&audio) == GST_AUDIO_FORMAT_F32 &&
                                    GST_AUDIO_INFO_LAYOUT(&audio) == GST_AUDIO_LAYOUT_INTERLEAVED;
                rate = floats ? GST_AUDIO_INFO_RATE(&audio) : 0;
                channels = floats ? GST_AUDIO_INFO_CHANNELS(&audio) : 0;
                break;
            }
            case GST_EVENT_SEGMENT: gst_event_copy_segment(event, &segment); break;
            case GST_EVENT_FLUSH_STOP:
                gst_segment_init(&segment, GST_FORMAT_UNDEFINED);
                ramp->Flush();
                break;
            default: break;
        }
    }
};

}  // namespace

void GainRamp::Attach(GstPad* pad, std::shared_ptr<GainRamp> ramp) {
    auto* probe = new RampProbe{std::move(ramp), {}, 0, 0};
    gst_segment_init(&probe->segment, GST_FORMAT_UNDEFINED);
    gst_pad_add_probe(
        pad,
        static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST |
                                     GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                     GST_PAD_PROBE_TYPE_EVENT_FLUSH),
        &RampProbe::OnData, probe, [](gpointer data) { delete static_cast<RampProbe*>(data); });
}

}  // namespace tamberline
