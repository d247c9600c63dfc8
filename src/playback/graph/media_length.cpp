#include "playback/graph/media_length.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <limits>

#include "playback/graph/gstreamer.h"

namespace tamberline {
namespace {

constexpr GstClockTime kDiscoverTimeout = 5 * GST_SECOND;
constexpr int64_t kStep = 500;

int32_t RoundUpToStep(int64_t ms) {
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max() / kStep * kStep;
    if (ms <= 0) {
        return 0;
    }
    const int64_t rounded = (ms + kStep - 1) / kStep * kStep;
    return static_cast<int32_t>(rounded > kLargest ? kLargest : rounded);
}

}  // namespace

int32_t DetectorMediaLength(const std::string& path) {
    if (!EnsureGStreamer()) {
        return 0;
    }
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &error);
    GstDiscoverer* discoverer =
        uri != nullptr ? gst_discoverer_new(kDiscoverTimeout, &error) : nullptr;
    GstDiscovererInfo* info =
        discoverer != nullptr ? gst_discoverer_discover_uri(discoverer, uri, &error) : nullptr;
    int64_t ms = 0;
    if (info != nullptr && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        const GstClockTime ns = gst_discoverer_info_get_duration(info);
        if (GST_CLOCK_TIME_IS_VALID(ns)) {
            ms = static_cast<int64_t>(ns / GST_MSECOND);  // truncated, as seconds x 1000
        }
    }
    if (info != nullptr) {
        gst_discoverer_info_unref(info);
    }
    if (discoverer != nullptr) {
        g_object_unref(discoverer);
    }
    if (error != nullptr) {
        g_error_free(error);
    }
    g_free(uri);
    return RoundUpToStep(ms);
}

}  // namespace tamberline
