#include "triggers/hotplug/gst_media_devices.h"

#include <gst/gst.h>

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstring>

#include "playback/graph/gstreamer.h"

namespace tamberline {

namespace {

bool IsMonitorSource(GstDevice* device) {
    bool monitor = false;
    if (GstStructure* properties = gst_device_get_properties(device)) {
        const gchar* kind = gst_structure_get_string(properties, "device.class");
        monitor = kind != nullptr && std::strcmp(kind, "monitor") == 0;
        gst_structure_free(properties);
    }
    return monitor;
}

bool ViaSoundServer(GstDevice* device) {
    return std::strcmp(G_OBJECT_TYPE_NAME(device), "GstPulseDevice") == 0;
}

bool IsAudio(GstDevice* device) {
    return gst_device_has_classes(device, "Audio") == TRUE;
}

}  // namespace

MediaDeviceList GstMediaDevices::List() {
    MediaDeviceList names;
    const std::vector<GstDevice*> found =
        ListDevices({"Audio/Sink", "Audio/Source", "Video/Source"});
    bool serverListsAudio = false;
    for (GstDevice* device : found) {
        serverListsAudio |= ViaSoundServer(device);
    }
    for (GstDevice* device : found) {
        const bool skipped = IsMonitorSource(device) ||
                             (IsAudio(device) && serverListsAudio && !ViaSoundServer(device));
        if (!skipped) {
            gchar* name = gst_device_get_display_name(device);
            if (name != nullptr && *name != '\0') {
                names.emplace_back(name);
            }
            g_free(name);
        }
        gst_object_unref(device);
    }
    return names;
}

GstDeviceWatch::GstDeviceWatch(std::function<void()> changed)
    : changed_(std::move(changed)), thread_([this] { Run(); }) {}

GstDeviceWatch::~GstDeviceWatch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void GstDeviceWatch::Run() {
    GstMediaDevices devices;
    MediaDeviceList last = devices.List();
    std::sort(last.begin(), last.end());
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; })) {
        lock.unlock();
        MediaDeviceList now = devices.List();
        std::sort(now.begin(), now.end());
        if (now != last) {
            last = std::move(now);
            QMetaObject::invokeMethod(
                &gui_, [this] { changed_(); }, Qt::QueuedConnection);
        }
        lock.lock();
    }
}

}  // namespace tamberline
