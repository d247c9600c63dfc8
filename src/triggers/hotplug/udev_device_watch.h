#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace tamberline {

// Tells the GUI thread each time the kernel's device manager reports a
// sound, video or input device arriving or leaving. Where no udev daemon
// runs, nothing is reported. Made and used on the GUI thread.
class UdevDeviceWatch {
public:
    explicit UdevDeviceWatch(std::function<void()> changed);
    ~UdevDeviceWatch();
    UdevDeviceWatch(const UdevDeviceWatch&) = delete;
    UdevDeviceWatch& operator=(const UdevDeviceWatch&) = delete;

    bool watching() const { return monitor_ != nullptr; }

private:
    void Receive();

    std::function<void()> changed_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tamberline
