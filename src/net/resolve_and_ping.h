#pragma once

#include <chrono>
#include <string>

namespace tamberline {

struct PingResult {
    bool ok = false;
    std::string address;  // dotted IPv4
};

inline constexpr std::chrono::milliseconds kLookupTimeout{3000};
inline constexpr std::chrono::milliseconds kEchoTimeout{500};

// Resolves a computer name (backslashes removed) to its first IPv4
// address that is not loopback and sends it one ICMP echo: success when
// the reply comes within the echo time-out. Blocks the calling thread for
// at most the lookup and echo time-outs together.
PingResult ResolveAndPing(const std::string& computerName,
                          std::chrono::milliseconds lookupTimeout = kLookupTimeout,
                          std::chrono::milliseconds echoTimeout = kEchoTimeout);

// One ICMP echo to a dotted address, over an unprivileged ICMP datagram
// socket where the system allows it (net.ipv4.ping_group_range), else a
// raw socket (root).
bool PingAddress(const std::string& dotted, std::chrono::milliseconds timeout = kEchoTimeout);

// This machine's address on the network: the first address of its host
// name outside 127/8 (Debian names itself 127.0.1.1), else the first
// IPv4 address of an interface that is up and not loopback; empty when
// there is none.
std::string LocalNetworkAddress();

// The local network check of Connect: this machine's address answers
// its own echo.
PingResult PingOwnAddress();

}  // namespace tamberline
