#pragma once

#include <string>

namespace tamberline {

// What a media graph reports about its playback; the codes keep the values
// the run control was written against.
enum MediaEventCode : int {
    EC_COMPLETE = 0x01,        // the end of the stream (or of its last pass) was played
    EC_USERABORT = 0x02,       // playback failed: the file broke, the device vanished
    EC_END_OF_SEGMENT = 0x1C,  // a segment positioned with the segment flag has played
};

struct MediaEvent {
    MediaEventCode code = EC_COMPLETE;
    std::string detail;  // the framework's text for EC_USERABORT, else empty
};

// Receives WM_MEDIA_EVENT: "button `button`'s graph has events". Called on a
// GStreamer thread, so implementations only hand the index over (post it to
// the control thread) and fetch the events there with MediaGraph::GetEvent;
// they never block and never call into the graph.
class MediaEventSink {
public:
    virtual ~MediaEventSink() = default;
    virtual void OnMediaEvent(int button) = 0;
};

}  // namespace tamberline
