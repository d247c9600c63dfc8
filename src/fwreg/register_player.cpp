#include "fwreg/firewall.h"

namespace wickett {

void RegisterPlayer(std::span<Firewall* const> firewalls) {
    for (Firewall* firewall : firewalls) {
        if (!firewall->IsActive()) {
            continue;
        }
        if (!firewall->AllowsLinkPort()) {
            firewall->AllowLinkPort();
        }
        return;
    }
}

}  // namespace wickett
