#pragma once

#include <span>

namespace wickett {

// What the player needs: link datagrams in on UDP 4320, in an entry that
// names the program.
inline constexpr int kLinkPort = 4320;
inline constexpr const char* kEntryName = "Tamberline";

// One firewall the tool can talk to. Every call reports failure as false
// and never prints.
class Firewall {
public:
    virtual ~Firewall() = default;
    // The firewall runs and filters this machine's traffic.
    virtual bool IsActive() = 0;
    // The link port is already let in (and stays so after a restart).
    virtual bool AllowsLinkPort() = 0;
    // Lets the link port in; each change only after the one before it worked.
    virtual void AllowLinkPort() = 0;
};

// Makes sure the first active firewall of `firewalls` lets the player in:
// nothing changes when it already does, an entry is added when it does not
// (or when asking failed). Silent; no firewall active, nothing to do.
void RegisterPlayer(std::span<Firewall* const> firewalls);

}  // namespace wickett
