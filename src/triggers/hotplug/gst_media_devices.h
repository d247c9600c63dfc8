#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "triggers/hotplug/media_devices.h"

namespace tamberline {

// The audio and video devices GStreamer's device monitor lists: sound
// server entries only where the server lists a device twice, no monitors.
class GstMediaDevices final : public MediaDeviceSource {
public:
    MediaDeviceList List() override;
};

// Tells the GUI thread each time an audio or video device arrives or
// leaves, as GStreamer's device monitor lists them once a second on a
// thread of its own. A started device monitor falls silent for good as soon
// as any other monitor is made in the process (the outputs make one for
// each listing), so the lists are compared instead of its messages relied
// on. Made on the GUI thread.
class GstDeviceWatch {
public:
    explicit GstDeviceWatch(std::function<void()> changed);
    ~GstDeviceWatch();
    GstDeviceWatch(const GstDeviceWatch&) = delete;
    GstDeviceWatch& operator=(const GstDeviceWatch&) = delete;

private:
    void Run();

    std::function<void()> changed_;
    QObject gui_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace tamberline
