#pragma once

#include <memory>
#include <string>

#include "base/console_part.h"
#include "net/link_socket.h"
#include "net/net_link.h"
#include "net/network_monitor.h"

namespace tamberline {

class Clock;
class ConsoleAnnouncer;
class LinkState;
class MessageBox;

// The network link as a part of the console: the socket on UDP 4320,
// opened at start-up; the link's time-outs on the tick; the link ended
// when the network goes; the socket closed at the end.
class NetLinkPart final : public ConsolePart {
public:
    struct Services {
        LinkState& state;
        NetLinkHost& host;
        MessageBox& box;
        const Clock& clock;
        // Where the socket binds; the program uses every local address.
        std::string bindAddress = "0.0.0.0";
        uint16_t port = kLinkPort;
        // Announces the console for discovery; none in tests.
        std::unique_ptr<ConsoleAnnouncer> announcer;
    };

    explicit NetLinkPart(Services services);
    ~NetLinkPart() override;

    bool Start(StartStep step) override;
    bool Exit(ExitStep step) override;
    void Teardown(TeardownStep step) override;
    void Tick(const TickState& state) override;

    NetLink& link() { return link_; }
    bool available() const { return socket_.IsOpen(); }
    // "Connect": opens the port if it could not be opened before, else
    // tells the operator why the link cannot be made.
    bool EnsureAvailable();
    // Why the socket could not be opened; empty when it is open.
    const std::string& bindError() const { return bindError_; }

private:
    void OnNetworkChange(bool connected);
    bool OpenSocket();

    Services services_;
    UdpLinkSocket socket_;
    NetLink link_;
    NetworkMonitor monitor_;
    std::string bindError_;
};

// The text shown when the link's port cannot be opened.
std::string PortUnavailableText(uint16_t port, const std::string& reason);

}  // namespace tamberline
