#pragma once

#include <mutex>

namespace tamberline {

// Initialises GStreamer once for the whole process; every user of a media
// graph, a device list or the media detector calls this first. Safe from any
// thread. False when GStreamer could not start (no media graphs then).
bool EnsureGStreamer();

// Held while a device monitor lists devices: the device providers behind
// the monitors are shared by the whole process, and two listings at once
// from different threads trip over each other.
std::mutex& DeviceListingLock();

}  // namespace tamberline
