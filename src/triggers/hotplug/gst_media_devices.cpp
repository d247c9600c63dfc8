#include "triggers/hotplug/gst_media_devices.h"

#include <gst/gst.h>

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cstring>

#include "playback/graph/gstreamer.h"

namespace tamberline {

namespace {

constexpr const char* kClasses[] = {"Audio/Sink", "Audio/Source", "Video/Source"};

GstDeviceMonitor* NewMonitor() {
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    for (const char* kind : kClasses) {
        gst_device_monitor_add_filter(monitor, kind, nullptr);
    }
    gst_device_monitor_set_show_all_devices(monitor, TRUE);
    return monitor;
}

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
    if (!EnsureGStreamer()) {
        return names;
    }
    std::lock_guard listing(DeviceListingLock());
    GstDeviceMonitor* monitor = NewMonitor();
    GList* found = gst_device_monitor_get_devices(monitor);
    bool serverListsAudio = false;
    for (GList* item = found; item != nullptr; item = item->next) {
        serverListsAudio |= ViaSoundServer(GST_DEVICE(item->data));
    }
    for (GList* item = found; item != nullptr; item = item->next) {
        GstDevice* device = GST_DEVICE(item->data);
        const bool skipped = IsMonitorSource(device) ||
                             (IsAudio(device) && serverListsAudio && !ViaSoundServer(device));
        if (!skipped) {
            gchar* name = gst_device_get_display_name(device);
            if (name != nullptr && *name != '\0') {
                names.emplace_back(name);
            }
            g_free(name);
        }
    }
    g_list_free_full(found, gst_object_unref);
    gst_object_unref(monitor);
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
