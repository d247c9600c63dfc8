#pragma once

#include <cstdint>

namespace tamberline {

// Where MIDI timecode drives the timecode triggers (TimecodeEngine; the
// LTC reader hands it decoded frames instead). Frame counts are whole
// frames since midnight at the source's rate. Called on the source's own
// thread; an implementation hands starts on as start requests and never
// waits. The defaults do nothing.
class TimecodeTriggers {
public:
    virtual ~TimecodeTriggers() = default;
    // The source locked (again): look for the next trigger from here.
    virtual void PositionCursor(uint32_t /*frameCount*/, int /*framesPerSecond*/) {}
    // The source moved on by one frame: fire what is due at `frameCount`.
    virtual void FrameCountReached(uint32_t /*frameCount*/) {}
};

}  // namespace tamberline
