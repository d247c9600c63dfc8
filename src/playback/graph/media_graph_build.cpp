// Building a graph: the decode chain of RenderFile and the callbacks through
// which GStreamer reports on it.
#include <gst/gst.h>

#include <chrono>

#include "playback/graph/graph_callbacks.h"
#include "playback/graph/media_graph.h"

namespace tamberline {
namespace {

// Long enough for a slow disk or a busy sound server, short enough that a
// broken file never holds the control thread for good.
constexpr auto kPrerollTimeout = std::chrono::seconds(10);

constexpr int kPanoramaSimple = 1;  // GstAudioPanoramaMethod "simple"
constexpr int kDitherNone = 0;      // GstAudioDitherMethod "none"

bool IsAudioPad(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (caps == nullptr) {
        caps = gst_pad_query_caps(pad, nullptr);
    }
    bool audio = false;
    if (caps != nullptr && gst_caps_get_size(caps) > 0) {
        audio = g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/");
    }
    if (caps != nullptr) {
        gst_caps_unref(caps);
    }
    return audio;
}

int SampleRateOf(GstElement* element) {
    GstPad* pad = gst_element_get_static_pad(element, "sink");
    GstCaps* caps = pad != nullptr ? gst_pad_get_current_caps(pad) : nullptr;
    int rate = 0;
    if (caps != nullptr && gst_caps_get_size(caps) > 0) {
        gst_structure_get_int(gst_caps_get_structure(caps, 0), "rate", &rate);
    }
    if (caps != nullptr) {
        gst_caps_unref(caps);
    }
    if (pad != nullptr) {
        gst_object_unref(pad);
    }
    return rate;
}

}  // namespace

bool MediaGraph::RenderFile(const std::string& path) {
    if (pipeline_ == nullptr) {
        return false;
    }
    if (rendered_ || chainInput_ != nullptr) {
        Clear(true);  // a new file replaces the old one on the same renderer
    }
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &error);
    if (error != nullptr) {
        g_error_free(error);
    }
    const bool ready = uri != nullptr && BuildChain(uri) && WaitForPreroll();
    g_free(uri);
    if (!ready) {
        RemoveAll();
        return false;
    }
    sampleRate_ = SampleRateOf(chainInput_);
    rendered_ = true;
    state_ = GraphState::kStopped;
    return true;
}

bool MediaGraph::BuildChain(const std::string& uri) {
    if (renderer_ == nullptr && !AddRenderer(gst_element_factory_make("autoaudiosink", nullptr))) {
        return false;
    }
    GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
    GstElement* convertIn = gst_element_factory_make("audioconvert", nullptr);
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* panorama = gst_element_factory_make("audiopanorama", nullptr);
    GstElement* convertOut = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    bool complete = true;
    for (GstElement* element : {source, convertIn, volume, panorama, convertOut, resample}) {
        if (element == nullptr) {
            complete = false;
        } else {
            gst_bin_add(GST_BIN(pipeline_), element);  // RemoveAll frees them on failure
        }
    }
    // The level is ramped on floats, sample by sample, as they enter `volume`.
    GstCaps* floats = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "F32LE", "layout",
                                          G_TYPE_STRING, "interleaved", nullptr);
    const bool linked =
        complete && gst_element_link_filtered(convertIn, volume, floats) &&
        gst_element_link_many(volume, panorama, convertOut, resample, renderer_, nullptr);
    gst_caps_unref(floats);
    if (!linked) {
        return false;
    }
    // Subtitles, and pictures unless asked for, stay inside the decoder.
    GstCaps* exposed =
        gst_caps_from_string(exposeVideo_ ? "audio/x-raw; video/x-raw" : "audio/x-raw");
    g_object_set(source, "uri", uri.c_str(), "caps", exposed, "expose-all-streams", FALSE, nullptr);
    gst_caps_unref(exposed);
    g_object_set(panorama, "method", kPanoramaSimple, nullptr);
    // Back to the renderer's format as it came: no dither noise on samples
    // that were whole numbers before.
    g_object_set(convertOut, "dithering", kDitherNone, nullptr);
    {
        std::lock_guard lock(mutex_);
        chainInput_ = convertIn;
        preroll_ = Preroll::kPending;
        audioLinked_ = false;
    }
    volumeElement_ = volume;
    panoramaElement_ = panorama;
    AttachRamp(volume);
    ApplyLevels();
    GstPad* input = gst_element_get_static_pad(convertIn, "sink");
    gst_pad_add_probe(input, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
                      MediaGraph::Callbacks::OnDownstreamEvent, this, nullptr);
    gst_object_unref(input);
    g_signal_connect(source, "pad-added", G_CALLBACK(MediaGraph::Callbacks::OnPadAdded), this);
    g_signal_connect(source, "no-more-pads", G_CALLBACK(MediaGraph::Callbacks::OnNoMorePads), this);
    return true;
}

bool MediaGraph::WaitForPreroll() {
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return false;
    }
    std::unique_lock lock(mutex_);
    if (!prerollChanged_.wait_for(lock, kPrerollTimeout,
                                  [this] { return preroll_ != Preroll::kPending; })) {
        preroll_ = Preroll::kFailed;
    }
    return preroll_ == Preroll::kDone && audioLinked_;
}

GstBusSyncReply MediaGraph::Callbacks::OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* graph = static_cast<MediaGraph*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR: {
            if (graph->IsPictureMessage(message)) {
                break;  // a picture that cannot be shown leaves the sound playing
            }
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            MediaEvent event{EC_USERABORT, error != nullptr ? error->message : ""};
            if (error != nullptr) {
                g_error_free(error);
            }
            bool playing = false;
            {
                std::lock_guard lock(graph->mutex_);
                if (graph->preroll_ == Preroll::kPending) {
                    graph->preroll_ = Preroll::kFailed;
                    graph->prerollChanged_.notify_all();
                }
                playing = graph->preroll_ == Preroll::kDone;
            }
            // A failure while rendering is RenderFile's result, not an event.
            if (playing) {
                graph->Post(std::move(event));
            }
            break;
        }
        case GST_MESSAGE_ASYNC_DONE:
            if (GST_MESSAGE_SRC(message) == GST_OBJECT(graph->pipeline_)) {
                std::lock_guard lock(graph->mutex_);
                if (graph->preroll_ == Preroll::kPending) {
                    graph->preroll_ = Preroll::kDone;
                    graph->prerollChanged_.notify_all();
                }
            }
            break;
        case GST_MESSAGE_EOS:
            graph->ended_ = true;
            graph->Post({EC_COMPLETE, {}});
            break;
        default: break;
    }
    return GST_BUS_DROP;
}

void MediaGraph::Callbacks::OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    auto* graph = static_cast<MediaGraph*>(data);
    if (!IsAudioPad(pad)) {
        graph->NoteVideoPad(pad);
        return;
    }
    GstPad* input = nullptr;
    {
        std::lock_guard lock(graph->mutex_);
        if (graph->audioLinked_ || graph->chainInput_ == nullptr) {
            return;  // the first sound stream plays; further ones stay unheard
        }
        input = gst_element_get_static_pad(graph->chainInput_, "sink");
    }
    // Linking may call back into the chain: not under the graph's lock. A
    // second sound stream racing for the input finds it linked and fails.
    const bool linked = gst_pad_link(pad, input) == GST_PAD_LINK_OK;
    gst_object_unref(input);
    if (linked) {
        std::lock_guard lock(graph->mutex_);
        graph->audioLinked_ = true;
    }
}

void MediaGraph::Callbacks::OnNoMorePads(GstElement*, gpointer data) {
    auto* graph = static_cast<MediaGraph*>(data);
    std::lock_guard lock(graph->mutex_);
    if (!graph->audioLinked_ && graph->preroll_ == Preroll::kPending) {
        graph->preroll_ = Preroll::kFailed;  // a file without sound
        graph->prerollChanged_.notify_all();
    }
}

GstPadProbeReturn MediaGraph::Callbacks::OnDownstreamEvent(GstPad*, GstPadProbeInfo* info,
                                                           gpointer data) {
    // The decoder announces the end of a segment when it has read it, which
    // can be long before it is heard. Once the announcement has passed into
    // the chain, only the renderer's own buffer is left to play: the moment
    // to queue the next stretch.
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_SEGMENT_DONE) {
        auto* graph = static_cast<MediaGraph*>(data);
        graph->segmentDrained_ = true;
        graph->Post({EC_END_OF_SEGMENT, {}});
    }
    return GST_PAD_PROBE_OK;
}

void MediaGraph::Callbacks::OnDeviceChanged(GObject* renderer, GParamSpec*, gpointer data) {
    auto* graph = static_cast<MediaGraph*>(data);
    gchar* current = nullptr;
    g_object_get(renderer, "current-device", &current, nullptr);
    bool moved = false;
    {
        std::lock_guard lock(graph->mutex_);
        moved = current != nullptr && graph->chosenDevice_ != current;
    }
    g_free(current);
    if (!moved) {
        return;
    }
    if (GstElement* volume = graph->volumeElement_.load()) {
        g_object_set(volume, "mute", TRUE, nullptr);
    }
    GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND,
                                        "The output device is no longer available.");
    gst_element_post_message(GST_ELEMENT(renderer),
                             gst_message_new_error(GST_OBJECT(renderer), error, nullptr));
    g_error_free(error);
}

}  // namespace tamberline
