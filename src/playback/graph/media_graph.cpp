#include "playback/graph/media_graph.h"

#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "playback/graph/gain_ramp.h"
#include "playback/graph/graph_callbacks.h"
#include "playback/graph/gstreamer.h"

namespace tamberline {
namespace {

// A graph whose events nobody fetches must not grow without end.
constexpr size_t kMaxPendingEvents = 64;

double LinearGain(long volume) {
    return volume <= kVolumeSilent ? 0.0 : std::pow(10.0, static_cast<double>(volume) / 2000.0);
}

// audiopanorama's simple method scales the far side by 1 - |p| and keeps the
// near side whole; the balance names that far side's attenuation.
double Panorama(long balance) {
    if (balance == 0) {
        return 0.0;
    }
    const long attenuation = std::labs(balance);
    const double farGain =
        attenuation >= kBalanceRightOnly ? 0.0 : std::pow(10.0, -attenuation / 2000.0);
    return balance > 0 ? 1.0 - farGain : farGain - 1.0;
}

}  // namespace

MediaGraph::MediaGraph(int button, MediaEventSink* sink) : button_(button), sink_(sink) {
    if (!EnsureGStreamer()) {
        return;
    }
    pipeline_ = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)));
    // The pipeline's own bus keeps two descriptors for an asynchronous queue
    // that is never used here: 336 graphs would hold 672 of them. Messages
    // are taken synchronously instead, on the thread that posts them.
    GstBus* bus =
        GST_BUS(gst_object_ref_sink(g_object_new(GST_TYPE_BUS, "enable-async", FALSE, nullptr)));
    gst_element_set_bus(pipeline_, bus);
    gst_bus_set_sync_handler(bus, MediaGraph::Callbacks::OnBusMessage, this, nullptr);
    gst_object_unref(bus);
}

MediaGraph::~MediaGraph() {
    if (pipeline_ == nullptr) {
        return;
    }
    RemoveAll();
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline_);
}

bool MediaGraph::AddRenderer(GstElement* renderer) {
    if (renderer == nullptr) {
        return false;
    }
    gst_object_ref_sink(renderer);
    const bool added =
        pipeline_ != nullptr && renderer_ == nullptr && gst_bin_add(GST_BIN(pipeline_), renderer);
    if (added) {
        renderer_ = renderer;
        // A sound server moves a stream whose device vanished to another
        // device; this output has then gone and must end, not play elsewhere.
        // (The renderer's own "device" follows the move, so the choice is
        // remembered here.)
        GObjectClass* type = G_OBJECT_GET_CLASS(renderer);
        gchar* device = nullptr;
        if (g_object_class_find_property(type, "device") != nullptr &&
            g_object_class_find_property(type, "current-device") != nullptr) {
            g_object_get(renderer, "device", &device, nullptr);
        }
        if (device != nullptr && *device != '\0') {
            {
                std::lock_guard lock(mutex_);
                chosenDevice_ = device;
            }
            deviceWatch_ =
                g_signal_connect(renderer, "notify::current-device",
                                 G_CALLBACK(MediaGraph::Callbacks::OnDeviceChanged), this);
        }
        g_free(device);
    }
    gst_object_unref(renderer);
    return added;
}

bool MediaGraph::IsRendererConnected() const {
    if (!rendered_ || renderer_ == nullptr) {
        return false;
    }
    GstPad* pad = gst_element_get_static_pad(renderer_, "sink");
    const bool linked = pad != nullptr && gst_pad_is_linked(pad);
    if (pad != nullptr) {
        gst_object_unref(pad);
    }
    return linked;
}

void MediaGraph::RemoveAll() {
    Clear(false);
}

void MediaGraph::Clear(bool keepRenderer) {
    if (pipeline_ == nullptr) {
        return;
    }
    // A stop still fading out is let finish, then forgotten.
    WaitForHalt();
    CancelHalt();
    // Joins every streaming thread; no callback runs after this.
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    if (!keepRenderer && deviceWatch_ != 0) {
        g_signal_handler_disconnect(renderer_, deviceWatch_);
        deviceWatch_ = 0;
    }
    std::vector<GstElement*> children;
    GstIterator* it = gst_bin_iterate_elements(GST_BIN(pipeline_));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        children.push_back(GST_ELEMENT(g_value_dup_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    for (GstElement* child : children) {
        if (!keepRenderer || child != renderer_) {
            gst_bin_remove(GST_BIN(pipeline_), child);
        }
        gst_object_unref(child);
    }
    ForgetPicture();
    {
        std::lock_guard lock(mutex_);
        chainInput_ = nullptr;
        preroll_ = Preroll::kIdle;
        audioLinked_ = false;
        events_.clear();
        if (!keepRenderer) {
            chosenDevice_.clear();
        }
    }
    if (!keepRenderer) {
        renderer_ = nullptr;
        volume_ = kVolumeFull;
        balance_ = 0;
    }
    volumeElement_ = nullptr;
    panoramaElement_ = nullptr;
    ramp_.reset();
    segmentDrained_ = false;
    ended_ = false;
    rendered_ = false;
    state_ = GraphState::kStopped;
    format_ = TimeFormat::kMediaTime;
    sampleRate_ = 0;
    rate_ = 1.0;
    stopNs_ = -1;
    segmentMode_ = false;
    levelsStale_ = false;
}

bool MediaGraph::Run() {
    if (!rendered_) {
        return false;
    }
    CancelHalt();
    if (ramp_ && ramp_->FadingOut()) {
        ramp_->FadeIn();
    }
    if (levelsStale_) {
        // The renderer already holds sound at the old level (a whole buffer,
        // up to a tenth of a second): fetch it again at the new one.
        Seek(segmentMode_ ? seeking::kSegment : 0, PositionNs(), stopNs_);
    }
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return false;
    }
    state_ = GraphState::kRunning;
    return true;
}

bool MediaGraph::Pause() {
    if (!rendered_) {
        return false;
    }
    // A stop or pause under way ends paused too.
    if (!FadingOut() && !HaltAfterFade(GST_STATE_PAUSED) &&
        gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return false;
    }
    state_ = GraphState::kPaused;
    return true;
}

bool MediaGraph::Stop() {
    // Paused underneath: the graph stays ready, so the next Run starts
    // without preparing the file again.
    if (!rendered_) {
        return false;
    }
    // A stop or pause under way ends paused too.
    if (!FadingOut() && !HaltAfterFade(GST_STATE_PAUSED) &&
        gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return false;
    }
    state_ = GraphState::kStopped;
    return true;
}

bool MediaGraph::SetTimeFormat(TimeFormat format) {
    if (format == TimeFormat::kSample && sampleRate_ <= 0) {
        return false;
    }
    format_ = format;
    return true;
}

bool MediaGraph::CanDoSegments() const {
    if (!rendered_) {
        return false;
    }
    GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
    gboolean seekable = FALSE;
    if (gst_element_query(pipeline_, query)) {
        gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
    }
    gst_query_unref(query);
    return seekable;
}

bool MediaGraph::SetPositions(int64_t current, unsigned currentFlags, int64_t stop,
                              unsigned stopFlags) {
    const unsigned currentMode = currentFlags & seeking::kPositioningMask;
    const unsigned stopMode = stopFlags & seeking::kPositioningMask;
    if (!rendered_ || currentMode > seeking::kAbsolutePositioning ||
        stopMode > seeking::kAbsolutePositioning) {
        return false;
    }
    int64_t startNs = 0;
    if (currentMode == seeking::kAbsolutePositioning) {
        if (current < 0) {
            return false;
        }
        startNs = ToNanoseconds(current);
    } else {
        startNs = PositionNs();
    }
    int64_t stopNs = stopNs_;
    if (stopMode == seeking::kAbsolutePositioning) {
        stopNs = stop < 0 ? -1 : ToNanoseconds(stop);
    }
    if (stopNs >= 0 && stopNs < startNs) {
        return false;
    }
    return Seek(currentFlags, startNs, stopNs);
}

bool MediaGraph::Seek(unsigned flags, int64_t startNs, int64_t stopNs) {
    // A seek without flushing waits for the decoder's thread; before Run that
    // thread is held at the renderer, so such a seek would never return.
    // After the end the renderer takes nothing more until it is flushed.
    const bool joinSeamlessly = (flags & seeking::kNoFlush) != 0 && !ended_.load() &&
                                (state_ == GraphState::kRunning || segmentDrained_.load());
    int seekFlags = GST_SEEK_FLAG_ACCURATE;
    if (!joinSeamlessly) {
        seekFlags |= GST_SEEK_FLAG_FLUSH;
    }
    if ((flags & seeking::kSegment) != 0) {
        seekFlags |= GST_SEEK_FLAG_SEGMENT;
    }
    segmentDrained_ = false;
    if (!joinSeamlessly) {
        const bool audible = state_ == GraphState::kRunning && !ended_.load();
        ended_ = false;
        levelsStale_ = false;  // what the flush brings is levelled anew
        if (ramp_ && audible) {
            ramp_->FadeIn();  // the sound at the new place starts from silence
        }
    }
    // An open end is "set to none", which every demuxer honours.
    if (!gst_element_seek(pipeline_, rate_, GST_FORMAT_TIME, static_cast<GstSeekFlags>(seekFlags),
                          GST_SEEK_TYPE_SET, startNs, GST_SEEK_TYPE_SET,
                          stopNs < 0 ? GST_CLOCK_TIME_NONE : static_cast<GstClockTime>(stopNs))) {
        return false;
    }
    stopNs_ = stopNs;
    segmentMode_ = (flags & seeking::kSegment) != 0;
    return true;
}

int64_t MediaGraph::PositionNs() const {
    gint64 position = 0;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &position) || position < 0) {
        return 0;
    }
    return position;
}

bool MediaGraph::GetDuration(int64_t& duration) const {
    gint64 ns = 0;
    if (!rendered_ || !gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0) {
        return false;
    }
    duration = FromNanoseconds(ns);
    return true;
}

bool MediaGraph::GetCurrentPosition(int64_t& position) const {
    gint64 ns = 0;
    if (!rendered_ || !gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0) {
        return false;
    }
    position = FromNanoseconds(ns);
    return true;
}

bool MediaGraph::GetStopPosition(int64_t& stop) const {
    if (stopNs_ < 0) {
        return GetDuration(stop);
    }
    if (!rendered_) {
        return false;
    }
    stop = FromNanoseconds(stopNs_);
    return true;
}

bool MediaGraph::SetRate(double rate) {
    if (!rendered_ || !std::isfinite(rate) || rate <= 0.0) {
        return false;
    }
    const double previous = rate_;
    rate_ = rate;
    if (!Seek(segmentMode_ ? seeking::kSegment : 0, PositionNs(), stopNs_)) {
        rate_ = previous;
        return false;
    }
    return true;
}

bool MediaGraph::PutVolume(long volume) {
    volume_ = std::clamp(volume, kVolumeSilent, kVolumeFull);
    ApplyLevels();
    return true;
}

bool MediaGraph::PutBalance(long balance) {
    balance_ = std::clamp(balance, kBalanceLeftOnly, kBalanceRightOnly);
    ApplyLevels();
    return true;
}

void MediaGraph::ApplyLevels() {
    if (rendered_ && state_ != GraphState::kRunning) {
        levelsStale_ = true;
    }
    if (ramp_) {
        // While the graph runs a step is ramped over the time until the
        // next one: the steps of a fade join up.
        ramp_->SetGain(LinearGain(volume_), state_ == GraphState::kRunning);
    }
    if (panoramaElement_ != nullptr) {
        g_object_set(panoramaElement_, "panorama", Panorama(balance_), nullptr);
    }
}

int64_t MediaGraph::ToNanoseconds(int64_t value) const {
    if (format_ == TimeFormat::kSample) {
        // Rounded up, so that converting back lands on the same sample.
        return static_cast<int64_t>(
            gst_util_uint64_scale_int_ceil(static_cast<guint64>(value), GST_SECOND, sampleRate_));
    }
    return value * (GST_SECOND / kMediaTimePerSecond);
}

int64_t MediaGraph::FromNanoseconds(int64_t ns) const {
    if (format_ == TimeFormat::kSample) {
        return static_cast<int64_t>(
            gst_util_uint64_scale_int_round(static_cast<guint64>(ns), sampleRate_, GST_SECOND));
    }
    return ns / (GST_SECOND / kMediaTimePerSecond);
}

bool MediaGraph::GetEvent(MediaEvent& event) {
    std::lock_guard lock(mutex_);
    if (events_.empty()) {
        return false;
    }
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

void MediaGraph::Post(MediaEvent event) {
    {
        std::lock_guard lock(mutex_);
        if (events_.size() >= kMaxPendingEvents) {
            return;
        }
        events_.push_back(std::move(event));
    }
    if (sink_ != nullptr) {
        sink_->OnMediaEvent(button_);
    }
}

}  // namespace tamberline
