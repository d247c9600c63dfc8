#include "playback/graph/gstreamer.h"

#include <gst/gst.h>

#include <mutex>

namespace tamberline {

std::mutex& DeviceListingLock() {
    static std::mutex lock;
    return lock;
}

bool EnsureGStreamer() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        GError* error = nullptr;
        started = gst_init_check(nullptr, nullptr, &error);
        if (error != nullptr) {
            g_error_free(error);
        }
    });
    return started;
}

}  // namespace tamberline
