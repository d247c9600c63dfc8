#include "playback/graph/audio_sinks.h"

#include <gst/gst.h>

#include <QString>
#include <algorithm>
#include <cstring>

#include "playback/graph/gstreamer.h"

namespace tamberline {
namespace {

AudioSinkDevice Describe(GstDevice* device) {
    AudioSinkDevice described;
    gchar* name = gst_device_get_display_name(device);
    described.friendlyName = name != nullptr ? name : "";
    g_free(name);
    described.viaSoundServer = std::strcmp(G_OBJECT_TYPE_NAME(device), "GstPulseDevice") == 0;
    if (GstStructure* properties = gst_device_get_properties(device)) {
        const gchar* kind = gst_structure_get_string(properties, "device.class");
        described.isMonitor = kind != nullptr && std::strcmp(kind, "monitor") == 0;
        gst_structure_free(properties);
    }
    return described;
}

}  // namespace

std::vector<std::string> SelectSoundCards(const std::vector<AudioSinkDevice>& devices) {
    std::vector<std::string> names;
    for (const AudioSinkDevice& device : devices) {
        if (device.isMonitor || device.friendlyName.empty() ||
            QString::fromStdString(device.friendlyName).toLower().contains("modem")) {
            continue;
        }
        if (std::find(names.begin(), names.end(), device.friendlyName) == names.end()) {
            names.push_back(device.friendlyName);
        }
    }
    return names;
}

DeviceMonitorCatalog::~DeviceMonitorCatalog() {
    std::lock_guard lock(mutex_);
    ForgetLocked();
}

void DeviceMonitorCatalog::ForgetLocked() {
    for (auto& entry : devices_) {
        gst_object_unref(entry.second);
    }
    devices_.clear();
}

std::vector<AudioSinkDevice> DeviceMonitorCatalog::Enumerate() {
    std::vector<AudioSinkDevice> listed;
    if (!EnsureGStreamer()) {
        return listed;
    }
    // Every device of the class from every provider: the choice among them
    // is made here.
    std::vector<GstDevice*> found = ListDevices({deviceClass_.c_str()});
    std::lock_guard lock(mutex_);
    ForgetLocked();
    listed_ = true;
    for (GstDevice* device : found) {
        devices_.emplace_back(Describe(device), device);  // the list's reference
        listed.push_back(devices_.back().first);
    }
    return listed;
}

GstElement* DeviceMonitorCatalog::CreateRenderer(const std::string& friendlyName) {
    bool listed = false;
    {
        std::lock_guard lock(mutex_);
        listed = listed_;
    }
    if (!listed) {
        Enumerate();
    }
    std::lock_guard lock(mutex_);
    GstDevice* chosen = nullptr;
    bool chosenViaServer = false;
    for (const auto& [described, device] : devices_) {
        if (described.friendlyName == friendlyName && (monitors_ || !described.isMonitor) &&
            (chosen == nullptr || (described.viaSoundServer && !chosenViaServer))) {
            chosen = device;
            chosenViaServer = described.viaSoundServer;
        }
    }
    return chosen != nullptr ? gst_device_create_element(chosen, nullptr) : nullptr;
}

}  // namespace tamberline
