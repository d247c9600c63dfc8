#include "playback/graph/media_library_part.h"

#include <gst/gst.h>

#include "base/message_box.h"
#include "playback/graph/gstreamer.h"

namespace tamberline {

namespace {

// The elements every media graph is built from.
constexpr const char* kRequiredElements[] = {"uridecodebin", "audioconvert", "audioresample",
                                             "volume", "audiopanorama"};

bool MediaFrameworkPresent() {
    for (const char* name : kRequiredElements) {
        GstElementFactory* factory = gst_element_factory_find(name);
        if (!factory) {
            return false;
        }
        gst_object_unref(factory);
    }
    return true;
}

}  // namespace

bool MediaLibraryPart::Start(StartStep step) {
    if (step == StartStep::kMediaLibrary && !EnsureGStreamer()) {
        box_.Show("Unable to initialise COM library.", mb::kOk | mb::kIconStop);
        return false;
    }
    if (step == StartStep::kMediaFramework && !MediaFrameworkPresent()) {
        box_.Show(
            "DirectX components required by Tamberline not found.\n\n"
            "Download them from the Microsoft website,\n",
            mb::kOk | mb::kIconStop);
        return false;
    }
    return true;
}

}  // namespace tamberline
