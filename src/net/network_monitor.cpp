#include "net/network_monitor.h"

#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tamberline {

NetworkMonitor::~NetworkMonitor() {
    Stop();
}

bool NetworkMonitor::AnyNetworkInterface() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    bool any = false;
    for (const ifaddrs* at = list; at && !any; at = at->ifa_next) {
        any = at->ifa_addr && at->ifa_addr->sa_family == AF_INET && (at->ifa_flags & IFF_UP) &&
              (at->ifa_flags & IFF_RUNNING) && !(at->ifa_flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return any;
}

bool NetworkMonitor::Start(Listener listener) {
    Stop();
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        return false;
    }
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    listener_ = std::move(listener);
    connected_ = AnyNetworkInterface();
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Read(); });
    return true;
}

void NetworkMonitor::Stop() {
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void NetworkMonitor::Read() {
    // The messages only say that something changed; what counts is asked
    // afresh once they are all read.
    char buffer[8192];
    while (fd_ >= 0 && recv(fd_, buffer, sizeof buffer, 0) > 0) {
    }
    const bool now = AnyNetworkInterface();
    if (now != connected_) {
        connected_ = now;
        if (listener_) {
            listener_(now);
        }
    }
}

}  // namespace tamberline
