#include "playback/graph/video_renderer.h"

#include <gst/gst.h>
#include <gst/video/videooverlay.h>

namespace tamberline {

GstElement* MakeVideoRenderer(uintptr_t window, const std::string& display) {
    // The plain X renderer works on every X server, the virtual one of the
    // tests included; the GL one needs a GL driver but scales in hardware.
    GstElement* renderer = gst_element_factory_make("ximagesink", nullptr);
    if (renderer == nullptr) {
        renderer = gst_element_factory_make("glimagesink", nullptr);
    }
    if (renderer == nullptr) {
        return nullptr;
    }
    if (!display.empty() &&
        g_object_class_find_property(G_OBJECT_GET_CLASS(renderer), "display") != nullptr) {
        g_object_set(renderer, "display", display.c_str(), nullptr);
    }
    // Redraws the picture itself when the window is uncovered, paused or not.
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(renderer), "handle-expose") != nullptr) {
        g_object_set(renderer, "handle-expose", TRUE, nullptr);
    }
    if (window != 0 && GST_IS_VIDEO_OVERLAY(renderer)) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(renderer), window);
    }
    return renderer;
}

}  // namespace tamberline
