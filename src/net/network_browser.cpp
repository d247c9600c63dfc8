#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>

#include "net/console_discovery.h"

namespace tamberline {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::vector<std::string> OwnAddresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return addresses;
    }
    for (const ifaddrs* at = list; at; at = at->ifa_next) {
        if (at->ifa_addr && at->ifa_addr->sa_family == AF_INET) {
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(at->ifa_addr)->sin_addr, text,
                      sizeof text);
            addresses.emplace_back(text);
        }
    }
    freeifaddrs(list);
    return addresses;
}

NetworkBrowser::NetworkBrowser(ConsoleFinder& finder, Ping ping, std::string ownName,
                               std::vector<std::string> ownAddresses)
    : finder_(finder),
      ping_(std::move(ping)),
      ownName_(std::move(ownName)),
      ownAddresses_(std::move(ownAddresses)) {}

NetworkBrowser::~NetworkBrowser() {
    Stop();
}

void NetworkBrowser::Start(RowFound row, Done done) {
    Stop();
    stop_ = false;
    thread_ = std::thread([this, row = std::move(row), done = std::move(done)] { Run(row, done); });
}

void NetworkBrowser::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

void NetworkBrowser::Run(RowFound row, Done done) {
    bool any = false;
    for (const FoundConsole& console : finder_.Find(kFindWait, stop_)) {
        if (stop_) {
            return;
        }
        const bool own = SameName(console.name, ownName_) ||
                         std::find(ownAddresses_.begin(), ownAddresses_.end(), console.address) !=
                             ownAddresses_.end();
        if (own || !ping_(console.address)) {
            continue;
        }
        any = true;
        row(console);
    }
    if (!stop_) {
        done(any);
    }
}

}  // namespace tamberline
