#include "playback/graph/gstreamer.h"

#include <cstring>

#include <gst/gst.h>

#include <mutex>

namespace tamberline {

namespace {

bool HasAnyClass(GstDevice* device, const std::vector<const char*>& classes) {
    for (const char* kind : classes) {
        if (gst_device_has_classes(device, kind)) {
            return true;
        }
    }
    return false;
}

// Appends the provider's devices of the classes; false when it has none.
bool AddDevices(GstDeviceProviderFactory* factory, const std::vector<const char*>& classes,
                std::vector<GstDevice*>& devices) {
    GstDeviceProvider* provider = gst_device_provider_factory_get(factory);
    if (provider == nullptr) {
        return false;
    }
    bool any = false;
    GList* found = gst_device_provider_get_devices(provider);
    for (GList* item = found; item != nullptr; item = item->next) {
        auto* device = GST_DEVICE(item->data);
        if (HasAnyClass(device, classes)) {
            devices.push_back(GST_DEVICE(gst_object_ref(device)));
            any = true;
        }
    }
    g_list_free_full(found, gst_object_unref);
    gst_object_unref(provider);
    return any;
}

}  // namespace

std::vector<GstDevice*> ListDevices(const std::vector<const char*>& classes) {
    std::vector<GstDevice*> devices;
    if (!EnsureGStreamer()) {
        return devices;
    }
    static std::mutex turns;
    std::lock_guard lock(turns);
    GList* factories = gst_device_provider_factory_list_get_device_providers(GST_RANK_NONE);
    GstDeviceProviderFactory* pipewire = nullptr;
    bool viaPulse = false;
    for (GList* item = factories; item != nullptr; item = item->next) {
        auto* factory = GST_DEVICE_PROVIDER_FACTORY(item->data);
        const gchar* name = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory));
        if (std::strcmp(name, "pipewiredeviceprovider") == 0) {
            pipewire = factory;
            continue;
        }
        const bool listed = AddDevices(factory, classes, devices);
        viaPulse |= listed && std::strcmp(name, "pulsedeviceprovider") == 0;
    }
    if (pipewire != nullptr && !viaPulse) {
        AddDevices(pipewire, classes, devices);
    }
    gst_plugin_feature_list_free(factories);
    return devices;
}

bool EnsureGStreamer() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        GError* error = nullptr;
        started = gst_init_check(nullptr, nullptr, &error);
        if (error != nullptr) {
            g_error_free(error);
        }
    });
    return started;
}

}  // namespace tamberline
