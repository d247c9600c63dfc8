#pragma once

#include <mutex>
#include <vector>

typedef struct _GstDevice GstDevice;

namespace tamberline {

// Initialises GStreamer once for the whole process; every user of a media
// graph, a device list or the media detector calls this first. Safe from any
// thread. False when GStreamer could not start (no media graphs then).
bool EnsureGStreamer();

// The devices of the given classes ("Audio/Sink", ...), each with a
// reference of the caller's, listed one provider after the other. Where the
// sound server's PulseAudio interface lists devices, PipeWire's own device
// provider is left out: it lists the same devices once more, and its thread
// crashes when a device leaves while a provider of it is being let go.
// Listings take turns across threads. Any thread.
std::vector<GstDevice*> ListDevices(const std::vector<const char*>& classes);

}  // namespace tamberline
