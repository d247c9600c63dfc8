#pragma once

namespace tamberline {

// Initialises GStreamer once for the whole process; every user of a media
// graph, a device list or the media detector calls this first. Safe from any
// thread. False when GStreamer could not start (no media graphs then).
bool EnsureGStreamer();

}  // namespace tamberline
