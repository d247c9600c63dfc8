#include "net/resolve_and_ping.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDateTime>
#include <QHostInfo>
#include <algorithm>
#include <atomic>
#include <cstring>

#include "net/link_socket.h"

namespace tamberline {

namespace {

constexpr size_t kReplyBuffer = 64 + 20;  // the reply, and an IP header on raw sockets

std::string Dotted(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

// The first IPv4 address of `name` outside 127/8, or empty. Waits for the
// system's resolver no longer than `timeout`.
std::string Resolve(const std::string& name, std::chrono::milliseconds timeout) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    gaicb request{};
    request.ar_name = name.c_str();
    request.ar_request = &hints;
    gaicb* list[] = {&request};
    if (getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
        return {};
    }
    const timespec wait{static_cast<time_t>(timeout.count() / 1000),
                        static_cast<long>((timeout.count() % 1000) * 1'000'000)};
    const gaicb* const waitList[] = {&request};
    gai_suspend(waitList, 1, &wait);
    if (gai_error(&request) == EAI_INPROGRESS) {
        // The resolver still owns the request: wait for the cancellation to
        // take before the request leaves this frame.
        if (gai_cancel(&request) != EAI_CANCELED) {
            while (gai_error(&request) == EAI_INPROGRESS) {
                gai_suspend(waitList, 1, nullptr);
            }
        }
        if (request.ar_result) {
            freeaddrinfo(request.ar_result);
        }
        return {};
    }
    std::string found;
    if (gai_error(&request) == 0) {
        for (addrinfo* at = request.ar_result; at; at = at->ai_next) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(at->ai_addr);
            const std::string dotted = Dotted(address->sin_addr);
            if (!IsLoopbackAddress(dotted)) {
                found = dotted;
                break;
            }
        }
    }
    if (request.ar_result) {
        freeaddrinfo(request.ar_result);
    }
    return found;
}

uint16_t Checksum(const uint8_t* bytes, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2) {
        sum += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
    }
    if (size % 2) {
        sum += static_cast<uint32_t>(bytes[size - 1] << 8);
    }
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<uint16_t>(~sum);
}

}  // namespace

bool PingAddress(const std::string& dotted, std::chrono::milliseconds timeout) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    if (inet_pton(AF_INET, dotted.c_str(), &to.sin_addr) != 1) {
        return false;
    }
    bool raw = false;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        fd = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        raw = true;
    }
    if (fd < 0) {
        return false;
    }
    static std::atomic<uint16_t> sequence{1};
    const uint16_t seq = sequence.fetch_add(1);
    const auto id = static_cast<uint16_t>(getpid() & 0xFFFF);
    uint8_t echo[8] = {ICMP_ECHO,
                       0,
                       0,
                       0,
                       static_cast<uint8_t>(id >> 8),
                       static_cast<uint8_t>(id & 0xFF),
                       static_cast<uint8_t>(seq >> 8),
                       static_cast<uint8_t>(seq & 0xFF)};
    const uint16_t sum = Checksum(echo, sizeof echo);
    echo[2] = static_cast<uint8_t>(sum >> 8);
    echo[3] = static_cast<uint8_t>(sum & 0xFF);
    bool answered = false;
    if (sendto(fd, echo, sizeof echo, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
        static_cast<ssize_t>(sizeof echo)) {
        const qint64 end = QDateTime::currentMSecsSinceEpoch() + timeout.count();
        for (qint64 left = timeout.count(); left > 0 && !answered;
             left = end - QDateTime::currentMSecsSinceEpoch()) {
            pollfd waiting{fd, POLLIN, 0};
            if (poll(&waiting, 1, static_cast<int>(left)) <= 0) {
                break;
            }
            uint8_t reply[kReplyBuffer];
            sockaddr_in from{};
            socklen_t fromSize = sizeof from;
            const ssize_t got =
                recvfrom(fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
            if (got <= 0 || from.sin_addr.s_addr != to.sin_addr.s_addr) {
                continue;
            }
            size_t at = 0;
            if (raw) {
                at = static_cast<size_t>(reply[0] & 0x0F) * 4;  // the IP header
            }
            const auto size = static_cast<size_t>(got);
            if (size < at + 8 || reply[at] != ICMP_ECHOREPLY) {
                continue;
            }
            // The kernel chooses the identifier of a datagram socket.
            const uint16_t gotSeq = static_cast<uint16_t>(reply[at + 6] << 8 | reply[at + 7]);
            const uint16_t gotId = static_cast<uint16_t>(reply[at + 4] << 8 | reply[at + 5]);
            answered = gotSeq == seq && (!raw || gotId == id);
        }
    }
    ::close(fd);
    return answered;
}

PingResult ResolveAndPing(const std::string& computerName, std::chrono::milliseconds lookupTimeout,
                          std::chrono::milliseconds echoTimeout) {
    std::string name = computerName;
    name.erase(std::remove(name.begin(), name.end(), '\\'), name.end());
    PingResult result;
    if (name.empty()) {
        return result;
    }
    result.address = Resolve(name, lookupTimeout);
    result.ok = !result.address.empty() && PingAddress(result.address, echoTimeout);
    return result;
}

std::string LocalNetworkAddress() {
    const std::string named = Resolve(QHostInfo::localHostName().toStdString(), kLookupTimeout);
    if (!named.empty()) {
        return named;
    }
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    std::string found;
    for (const ifaddrs* at = list; at && found.empty(); at = at->ifa_next) {
        if (at->ifa_addr && at->ifa_addr->sa_family == AF_INET && (at->ifa_flags & IFF_UP) &&
            (at->ifa_flags & IFF_RUNNING) && !(at->ifa_flags & IFF_LOOPBACK)) {
            const std::string dotted =
                Dotted(reinterpret_cast<const sockaddr_in*>(at->ifa_addr)->sin_addr);
            if (!IsLoopbackAddress(dotted)) {
                found = dotted;
            }
        }
    }
    freeifaddrs(list);
    return found;
}

PingResult PingOwnAddress() {
    PingResult result;
    result.address = LocalNetworkAddress();
    result.ok = !result.address.empty() && PingAddress(result.address);
    return result;
}

}  // namespace tamberline
