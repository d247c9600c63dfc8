#include "net/link_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/net_message.h"

namespace tamberline {

namespace {

bool ToAddress(const std::string& dotted, uint16_t port, sockaddr_in& out) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    return inet_pton(AF_INET, dotted.c_str(), &out.sin_addr) == 1;
}

std::string Dotted(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

}  // namespace

bool IsLoopbackAddress(const std::string& dotted) {
    in_addr address{};
    if (inet_pton(AF_INET, dotted.c_str(), &address) != 1) {
        return true;
    }
    return (ntohl(address.s_addr) >> 24) == 127;
}

UdpLinkSocket::~UdpLinkSocket() {
    Close();
}

std::string UdpLinkSocket::Open(const std::string& bindAddress, uint16_t port, Receiver receiver) {
    Close();
    sockaddr_in address{};
    if (!ToAddress(bindAddress, port, address)) {
        return "not an IPv4 address: " + bindAddress;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::strerror(errno);
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(fd);
        return reason;
    }
    fd_ = fd;
    port_ = port;
    bindAddress_ = bindAddress;
    receiver_ = std::move(receiver);
    if (!receiver_) {
        return {};  // a socket that only sends
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { ReadPending(); });
    return {};
}

void UdpLinkSocket::Close() {
    notifier_.reset();
    std::lock_guard lock(sending_);
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void UdpLinkSocket::ReadPending() {
    // One byte more than the longest command, so that an overlong
    // datagram is seen as such and not cut to a valid length.
    uint8_t buffer[kMaxDatagram + 1];
    for (int i = 0; i < kReadsPerWake && fd_ >= 0; ++i) {
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got = recvfrom(fd_, buffer, sizeof buffer, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0) {
            return;
        }
        const size_t size = std::min(static_cast<size_t>(got), sizeof buffer);
        if (receiver_ && from.sin_family == AF_INET) {
            receiver_(std::span<const uint8_t>(buffer, size), Dotted(from.sin_addr));
        }
    }
}

bool UdpLinkSocket::SendTo(const std::string& address, std::span<const uint8_t> bytes) {
    sockaddr_in to{};
    if (!ToAddress(address, port_, to)) {
        return false;
    }
    std::lock_guard lock(sending_);
    if (fd_ < 0) {
        return false;
    }
    const ssize_t sent = sendto(fd_, bytes.data(), bytes.size(), 0,
                                reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<ssize_t>(bytes.size());
}

std::string UdpLinkSocket::LocalAddressToward(const std::string& peer) const {
    if (bindAddress_ != "0.0.0.0" && !bindAddress_.empty()) {
        return bindAddress_;
    }
    sockaddr_in to{};
    if (!ToAddress(peer, port_, to)) {
        return {};
    }
    // Connecting a datagram socket sends nothing; it only picks the route.
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return {};
    }
    std::string local;
    sockaddr_in self{};
    socklen_t selfSize = sizeof self;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&self), &selfSize) == 0) {
        local = Dotted(self.sin_addr);
    }
    ::close(fd);
    return local;
}

}  // namespace tamberline
