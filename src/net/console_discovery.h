#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tamberline {

// A console another one announced on the network.
struct FoundConsole {
    std::string name;
    std::string address;  // dotted IPv4
};

// Tells the network that this console runs, while it runs.
class ConsoleAnnouncer {
public:
    virtual ~ConsoleAnnouncer() = default;
    virtual void Announce(const std::string& name, uint16_t port) = 0;
    virtual void Withdraw() = 0;
};

// Lists the consoles announced on the network. Called on the browser's
// own thread; returns within about `wait`.
class ConsoleFinder {
public:
    virtual ~ConsoleFinder() = default;
    virtual std::vector<FoundConsole> Find(std::chrono::milliseconds wait,
                                           const std::atomic<bool>& stop) = 0;
};

// Fills the "Network Connect." list: on a thread of its own it asks the
// finder for the consoles on the network and keeps those, other than this
// computer, that answer the echo. It touches no widget: each row and the
// end are handed to callbacks that must move them to the list's thread.
class NetworkBrowser {
public:
    using Ping = std::function<bool(const std::string& address)>;
    using RowFound = std::function<void(const FoundConsole& row)>;
    using Done = std::function<void(bool anyFound)>;

    NetworkBrowser(ConsoleFinder& finder, Ping ping, std::string ownName,
                   std::vector<std::string> ownAddresses);
    ~NetworkBrowser();
    NetworkBrowser(const NetworkBrowser&) = delete;
    NetworkBrowser& operator=(const NetworkBrowser&) = delete;

    static constexpr std::chrono::milliseconds kFindWait{1500};

    void Start(RowFound row, Done done);
    // Ends the search and waits for the thread (at most one echo).
    void Stop();

private:
    void Run(RowFound row, Done done);

    ConsoleFinder& finder_;
    Ping ping_;
    std::string ownName_;
    std::vector<std::string> ownAddresses_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Discovery by DNS-SD over Avahi: service type "_tamberline._udp".
inline constexpr char kServiceType[] = "_tamberline._udp";
std::unique_ptr<ConsoleAnnouncer> MakeAvahiAnnouncer();
std::unique_ptr<ConsoleFinder> MakeAvahiFinder();

// The IPv4 addresses of this machine's interfaces.
std::vector<std::string> OwnAddresses();

}  // namespace tamberline
