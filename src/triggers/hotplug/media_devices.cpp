#include "triggers/hotplug/media_devices.h"

#include <map>

namespace tamberline {

namespace {

// The entries of `from` beyond the count `other` has of each name.
std::vector<std::string> Beyond(const MediaDeviceList& from, const MediaDeviceList& other) {
    std::map<std::string, int> left;
    for (const std::string& name : other) {
        ++left[name];
    }
    std::vector<std::string> extra;
    for (const std::string& name : from) {
        int& count = left[name];
        if (count > 0) {
            --count;
        } else {
            extra.push_back(name);
        }
    }
    return extra;
}

}  // namespace

MediaDeviceChange CompareMediaDevices(const MediaDeviceList& kept, const MediaDeviceList& now) {
    return {Beyond(now, kept), Beyond(kept, now)};
}

}  // namespace tamberline
