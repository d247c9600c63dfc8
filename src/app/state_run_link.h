#pragma once

#include <atomic>

#include "net/link_state.h"
#include "net/net_link.h"
#include "playback/run_ports.h"

namespace tamberline {

// Run control's side of the link, read from the console's one link state;
// its commands go out through the network link once that is plugged in.
class StateRunLink final : public RunLink {
public:
    explicit StateRunLink(const LinkState& state) : state_(state) {}
    bool IsLinkedMaster() const override { return state_.IsLinkedMaster(); }
    bool IsLinkedSlave() const override { return state_.IsLinkedSlave(); }
    // Control thread.
    void Send(int command, int button) override {
        if (NetLink* link = link_.load(std::memory_order_acquire)) {
            link->SendRunCommand(static_cast<NetCommand>(command), button);
        }
    }
    void SetSender(NetLink* link) { link_.store(link, std::memory_order_release); }

private:
    const LinkState& state_;
    std::atomic<NetLink*> link_{nullptr};
};

}  // namespace tamberline
