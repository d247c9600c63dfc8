#pragma once

#include <gst/gst.h>

#include "playback/graph/media_graph.h"

namespace tamberline {

// GStreamer calls these on its own threads (streaming threads, the sound
// server's thread); they only touch what MediaGraph shares under its mutex.
struct MediaGraph::Callbacks {
    static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer graph);
    static void OnPadAdded(GstElement* source, GstPad* pad, gpointer graph);
    static void OnNoMorePads(GstElement* source, gpointer graph);
    static GstPadProbeReturn OnDownstreamEvent(GstPad* pad, GstPadProbeInfo* info, gpointer graph);
    static GstPadProbeReturn OnFirstPicture(GstPad* pad, GstPadProbeInfo* info, gpointer graph);
    static void OnDeviceChanged(GObject* renderer, GParamSpec* property, gpointer graph);
};

}  // namespace tamberline
