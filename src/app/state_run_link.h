#pragma once

#include "net/link_state.h"
#include "playback/run_ports.h"

namespace tamberline {

// Run control's side of the link, read from the console's one link state.
// Sending waits for the network link itself.
class StateRunLink final : public RunLink {
public:
    explicit StateRunLink(const LinkState& state) : state_(state) {}
    bool IsLinkedMaster() const override { return state_.IsLinkedMaster(); }
    bool IsLinkedSlave() const override { return state_.IsLinkedSlave(); }

private:
    const LinkState& state_;
};

}  // namespace tamberline
