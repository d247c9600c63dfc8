#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tamberline {

// Tells when this machine's network connection is made or lost: the
// kernel's route messages (links and IPv4 addresses coming and going)
// wake it, and the connection counts as there while an interface other
// than loopback is up, has its carrier and an IPv4 address.
class NetworkMonitor {
public:
    using Listener = std::function<void(bool connected)>;

    NetworkMonitor() = default;
    ~NetworkMonitor();
    NetworkMonitor(const NetworkMonitor&) = delete;
    NetworkMonitor& operator=(const NetworkMonitor&) = delete;

    // False when the route messages cannot be had; the monitor then
    // reports nothing.
    bool Start(Listener listener);
    void Stop();
    bool connected() const { return connected_; }

    // Whether some interface carries the network now.
    static bool AnyNetworkInterface();

private:
    void Read();

    int fd_ = -1;
    bool connected_ = false;
    Listener listener_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tamberline
