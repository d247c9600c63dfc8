#pragma once

#include <atomic>

namespace tamberline {

enum class LinkRole { kNone, kMaster, kSlave };

// Whether this console is linked to another, and as which end. The one
// place every part asks; the network link writes it. Read from any thread
// (run control reads it on its own).
class LinkState {
public:
    LinkRole role() const { return role_.load(std::memory_order_acquire); }
    bool IsLinked() const { return role() != LinkRole::kNone; }
    bool IsLinkedMaster() const { return role() == LinkRole::kMaster; }
    bool IsLinkedSlave() const { return role() == LinkRole::kSlave; }
    void SetRole(LinkRole role) { role_.store(role, std::memory_order_release); }

private:
    std::atomic<LinkRole> role_{LinkRole::kNone};
};

}  // namespace tamberline
