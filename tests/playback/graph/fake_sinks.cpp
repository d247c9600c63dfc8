#include "playback/graph/fake_sinks.h"

#include <gst/gst.h>

#include <string>

#include "playback/graph/gstreamer.h"

namespace tamberline::testing {

GstElement* FakeSinkCatalog::CreateRenderer(const std::string& friendlyName) {
    created.push_back(friendlyName);
    EnsureGStreamer();
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", FALSE, nullptr);
    if (dead.count(friendlyName) != 0) {
        gst_util_set_object_arg(G_OBJECT(sink), "state-error", "ready-to-paused");
    }
    return sink;
}

void FakeEngineOutputs::AddEngineOutputs(OutputTable& table, const HeaderMessageFn& header) {
    if (header) {
        header(" Loading ASIO ");
    }
    for (int pair = 0; pair < 4; ++pair) {
        const std::string name =
            "ASIO " + std::to_string(2 * pair + 1) + "+" + std::to_string(2 * pair + 2);
        table.entries.push_back({name, name, true});
    }
    table.asioActive = true;
}

}  // namespace tamberline::testing
