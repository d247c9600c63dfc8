// The picture of a graph: the decoder's picture stream, left unconnected
// until the graph is given the one video display, then scaled into its
// renderer.
#include <gst/gst.h>

#include <algorithm>

#include "playback/graph/graph_callbacks.h"
#include "playback/graph/media_graph.h"

namespace tamberline {
namespace {

bool IsVideoPad(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    bool video = false;
    if (caps != nullptr && gst_caps_get_size(caps) > 0) {
        video = g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/");
    }
    if (caps != nullptr) {
        gst_caps_unref(caps);
    }
    return video;
}

}  // namespace

void MediaGraph::NoteVideoPad(GstPad* pad) {
    if (!IsVideoPad(pad)) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (videoPad_ == nullptr && chainInput_ != nullptr) {
        videoPad_ = GST_PAD(gst_object_ref(pad));  // the first picture stream shows
    }
}

bool MediaGraph::HasVideo() const {
    std::lock_guard lock(mutex_);
    return rendered_ && videoPad_ != nullptr;
}

bool MediaGraph::VideoSize(int& width, int& height) const {
    GstCaps* caps = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (videoPad_ != nullptr) {
            caps = gst_pad_get_current_caps(videoPad_);
        }
    }
    if (caps == nullptr) {
        return false;
    }
    int w = 0;
    int h = 0;
    int aspectN = 1;
    int aspectD = 1;
    bool known = false;
    if (gst_caps_get_size(caps) > 0) {
        const GstStructure* s = gst_caps_get_structure(caps, 0);
        known = gst_structure_get_int(s, "width", &w) && gst_structure_get_int(s, "height", &h) &&
                w > 0 && h > 0;
        if (!gst_structure_get_fraction(s, "pixel-aspect-ratio", &aspectN, &aspectD) ||
            aspectN <= 0 || aspectD <= 0) {
            aspectN = aspectD = 1;
        }
    }
    gst_caps_unref(caps);
    if (!known) {
        return false;
    }
    // Non-square pixels widen or narrow the picture; a hostile ratio cannot
    // make it larger than a side of 2^20.
    const guint64 shown = gst_util_uint64_scale_int(static_cast<guint64>(w), aspectN, aspectD);
    width = static_cast<int>(std::min<guint64>(std::max<guint64>(shown, 1), 1u << 20));
    height = h;
    return true;
}

bool MediaGraph::ShowPicture(GstElement* renderer, int width, int height,
                             std::function<void()> firstFrame) {
    if (renderer == nullptr) {
        return false;
    }
    gst_object_ref_sink(renderer);
    GstPad* source = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (videoPad_ != nullptr) {
            source = GST_PAD(gst_object_ref(videoPad_));
        }
    }
    if (!rendered_ || source == nullptr || ShowsPicture() || width <= 0 || height <= 0) {
        if (source != nullptr) {
            gst_object_unref(source);
        }
        gst_object_unref(renderer);
        return ShowsPicture();
    }
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* queue = gst_element_factory_make("queue", nullptr);
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement* scale = gst_element_factory_make("videoscale", nullptr);
    GstElement* size = gst_element_factory_make("capsfilter", nullptr);
    bool built = queue != nullptr && convert != nullptr && scale != nullptr && size != nullptr;
    for (GstElement* element : {queue, convert, scale, size}) {
        if (element != nullptr) {
            gst_bin_add(GST_BIN(bin), element);
        }
    }
    gst_bin_add(GST_BIN(bin), renderer);
    gst_object_unref(renderer);  // the bin holds it now
    if (built) {
        GstCaps* caps =
            gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, width, "height", G_TYPE_INT,
                                height, "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        g_object_set(size, "caps", caps, nullptr);
        gst_caps_unref(caps);
        built = gst_element_link_many(queue, convert, scale, size, renderer, nullptr);
    }
    if (built) {
        GstPad* input = gst_element_get_static_pad(queue, "sink");
        gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
        gst_object_unref(input);
        GstPad* rendererInput = gst_element_get_static_pad(renderer, "sink");
        {
            std::lock_guard lock(mutex_);
            firstFrame_ = std::move(firstFrame);
        }
        gst_pad_add_probe(rendererInput, GST_PAD_PROBE_TYPE_BUFFER,
                          MediaGraph::Callbacks::OnFirstPicture, this, nullptr);
        gst_object_unref(rendererInput);
    }
    // The renderer opens its display on the way to ready: a display that
    // cannot be opened fails here, before any picture flows.
    gst_object_ref_sink(bin);
    pictureBin_ = bin;
    bool ready = built && gst_bin_add(GST_BIN(pipeline_), bin);
    // An X server may refuse a connection now and then: once more before
    // the picture is given up.
    for (int attempt = 0; ready && attempt < 2; ++attempt) {
        if (gst_element_set_state(bin, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
            break;
        }
        gst_element_set_state(bin, GST_STATE_NULL);
        ready = attempt == 0;
    }
    GstPad* binInput = ready ? gst_element_get_static_pad(bin, "sink") : nullptr;
    const bool linked = binInput != nullptr && gst_pad_link(source, binInput) == GST_PAD_LINK_OK &&
                        gst_element_sync_state_with_parent(bin);
    if (binInput != nullptr) {
        gst_object_unref(binInput);
    }
    gst_object_unref(source);
    if (!linked) {
        pictureBin_ = nullptr;
        gst_element_set_state(bin, GST_STATE_NULL);
        if (GST_OBJECT_PARENT(bin) != nullptr) {
            gst_bin_remove(GST_BIN(pipeline_), bin);
        }
        gst_object_unref(bin);
        std::lock_guard lock(mutex_);
        firstFrame_ = nullptr;
        return false;
    }
    gst_object_unref(bin);  // the pipeline holds it
    // The picture stream ran unconnected so far: fetch the stretch again so
    // that it starts with the sound.
    Seek(segmentMode_ ? seeking::kSegment : 0, PositionNs(), stopNs_);
    return true;
}

bool MediaGraph::IsPictureMessage(GstMessage* message) const {
    GstElement* bin = pictureBin_.load();
    return bin != nullptr && GST_MESSAGE_SRC(message) != nullptr &&
           gst_object_has_as_ancestor(GST_MESSAGE_SRC(message), GST_OBJECT(bin));
}

void MediaGraph::ForgetPicture() {
    pictureBin_ = nullptr;
    GstPad* pad = nullptr;
    {
        std::lock_guard lock(mutex_);
        pad = videoPad_;
        videoPad_ = nullptr;
        firstFrame_ = nullptr;
    }
    if (pad != nullptr) {
        gst_object_unref(pad);
    }
}

GstPadProbeReturn MediaGraph::Callbacks::OnFirstPicture(GstPad*, GstPadProbeInfo*, gpointer data) {
    auto* graph = static_cast<MediaGraph*>(data);
    std::function<void()> firstFrame;
    {
        std::lock_guard lock(graph->mutex_);
        firstFrame.swap(graph->firstFrame_);
    }
    if (firstFrame) {
        firstFrame();
    }
    return GST_PAD_PROBE_REMOVE;
}

}  // namespace tamberline
