#include "net/net_link_part.h"

#include <QHostInfo>
#include <cstdio>

#include "base/message_box.h"
#include "net/console_discovery.h"
#include "net/link_state.h"

namespace tamberline {

std::string PortUnavailableText(uint16_t port, const std::string& reason) {
    return "The network link is not available:\nUDP port " + std::to_string(port) +
           " cannot be opened (" + reason +
           ").\n\nAnother program may use it, or another Tamberline runs.";
}

NetLinkPart::NetLinkPart(Services services)
    : services_(std::move(services)),
      link_(services_.state, socket_, services_.host, services_.box, services_.clock) {}

NetLinkPart::~NetLinkPart() = default;

bool NetLinkPart::Start(StartStep step) {
    if (step != StartStep::kNetworkMenu) {
        return true;
    }
    // Without the port the console starts all the same, with no question
    // that would hold up an unattended start: "Connect" tries again and
    // says why it cannot link.
    if (!OpenSocket()) {
        std::fprintf(stderr, "tamberline: %s\n",
                     PortUnavailableText(services_.port, bindError_).c_str());
    }
    return true;
}

bool NetLinkPart::OpenSocket() {
    if (socket_.IsOpen()) {
        return true;
    }
    bindError_ = socket_.Open(services_.bindAddress, services_.port,
                              [this](std::span<const uint8_t> bytes, const std::string& from) {
                                  link_.OnDatagram(bytes, from);
                              });
    if (!bindError_.empty()) {
        return false;
    }
    monitor_.Start([this](bool connected) { OnNetworkChange(connected); });
    if (services_.announcer) {
        services_.announcer->Announce(QHostInfo::localHostName().toStdString(), services_.port);
    }
    return true;
}

bool NetLinkPart::EnsureAvailable() {
    if (OpenSocket()) {
        return true;
    }
    services_.box.Show(PortUnavailableText(services_.port, bindError_),
                       mb::kOk | mb::kIconExclamation);
    return false;
}

void NetLinkPart::OnNetworkChange(bool connected) {
    if (!connected) {
        link_.OnNetworkLost();
    }
}

bool NetLinkPart::Exit(ExitStep step) {
    if (step == ExitStep::kCloseLink) {
        link_.Close();
    }
    return true;
}

void NetLinkPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kLinkSocket) {
        monitor_.Stop();
        if (services_.announcer) {
            services_.announcer->Withdraw();
        }
        socket_.Close();
    }
}

void NetLinkPart::Tick(const TickState& /*state*/) {
    link_.Poll();
}

}  // namespace tamberline
