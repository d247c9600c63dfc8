#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "net/link_transport.h"

namespace tamberline {

// The link's UDP socket: bound to one port on all local addresses (or one
// address), read on the thread that opened it through a socket notifier.
class UdpLinkSocket final : public LinkTransport {
public:
    using Receiver = std::function<void(std::span<const uint8_t> bytes, const std::string& from)>;

    UdpLinkSocket() = default;
    ~UdpLinkSocket() override;
    UdpLinkSocket(const UdpLinkSocket&) = delete;
    UdpLinkSocket& operator=(const UdpLinkSocket&) = delete;

    // Empty when bound; else the system's reason. Without a receiver the
    // socket only sends.
    std::string Open(const std::string& bindAddress, uint16_t port, Receiver receiver);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // Datagrams read at most per wake-up, so that a flood leaves the
    // thread's other work its turn.
    static constexpr int kReadsPerWake = 64;

    bool SendTo(const std::string& address, std::span<const uint8_t> bytes) override;
    std::string LocalAddressToward(const std::string& peer) const override;

private:
    void ReadPending();

    int fd_ = -1;
    uint16_t port_ = 0;
    std::string bindAddress_;
    Receiver receiver_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::mutex sending_;
};

// True for 127.0.0.0/8 and for text that is no dotted IPv4 address.
bool IsLoopbackAddress(const std::string& dotted);

}  // namespace tamberline
