#include "triggers/hotplug/udev_device_watch.h"

#include <libudev.h>

#include <QSocketNotifier>

namespace tamberline {

namespace {
constexpr const char* kSubsystems[] = {"sound", "video4linux", "input"};
}

UdevDeviceWatch::UdevDeviceWatch(std::function<void()> changed) : changed_(std::move(changed)) {
    udev_ = udev_new();
    if (udev_ == nullptr) {
        return;
    }
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr) {
        return;
    }
    for (const char* subsystem : kSubsystems) {
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, subsystem, nullptr);
    }
    if (udev_monitor_enable_receiving(monitor_) < 0) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        return;
    }
    notifier_ =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Receive(); });
}

UdevDeviceWatch::~UdevDeviceWatch() {
    notifier_.reset();
    if (monitor_ != nullptr) {
        udev_monitor_unref(monitor_);
    }
    if (udev_ != nullptr) {
        udev_unref(udev_);
    }
}

void UdevDeviceWatch::Receive() {
    // The monitor's socket does not block: take everything that came.
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        udev_device_unref(device);
        any = true;
    }
    if (any && changed_) {
        changed_();
    }
}

}  // namespace tamberline
