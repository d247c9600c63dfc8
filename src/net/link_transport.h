#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tamberline {

// Where the link's datagrams go out. Sending may happen on any thread (run
// control sends its starts from its own); one send never interleaves with
// another.
class LinkTransport {
public:
    virtual ~LinkTransport() = default;
    virtual bool SendTo(const std::string& address, std::span<const uint8_t> bytes) = 0;
    // The dotted address this host sends from toward `peer`: the one the
    // peer sees, so the one both sides key the scrambling on.
    virtual std::string LocalAddressToward(const std::string& peer) const = 0;
};

}  // namespace tamberline
