#pragma once

#include <QProcess>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace tamberline::testing {

// Two `tamberline` programs on the test hosts of scripts/link-hosts.sh:
// console A on 10.77.0.1, console B on 10.77.0.2, each with a home of its
// own and driven through its test control socket.
class LinkHosts {
public:
    static constexpr char kAddressA[] = "10.77.0.1";
    static constexpr char kAddressB[] = "10.77.0.2";

    // `folder`: where the homes, sockets and logs go.
    explicit LinkHosts(std::string folder);
    ~LinkHosts();

    // Why the hosts cannot be used here (not root, no namespaces); empty
    // when they can.
    static std::string Unavailable();
    // Whether each host runs its own avahi-daemon.
    static bool NameServices();
    // A console's home (its settings live under .config there).
    std::string Home(char console) const;
    // Has the console, once started, play its engine on the JACK server
    // of the test services; false when there is none.
    bool PlayOnJack(char console);
    // An environment variable for a console started after this.
    void SetEnvironment(char console, const std::string& name, const std::string& value);

    // Makes the hosts, writes the demo show for the consoles named in
    // `withShow` ("A", "B", "AB") and starts both programs.
    bool Start(const std::string& withShow);
    void Stop();

    // One command to console 'A' or 'B'; its answer, or "" after 3 s.
    std::string Command(char console, const std::string& line);
    // Polls `line` until its answer contains `wanted`, at most `ms`.
    // The default covers a connect under load: name lookup (3 s), echo
    // (0.5 s) and the probe and request datagrams.
    bool WaitFor(char console, const std::string& line, const std::string& wanted, int ms = 15000);
    // Takes a host's interface down or up again.
    bool Cut(char host);
    bool Mend(char host);
    std::string Log(char console) const;

private:
    std::string Socket(char console) const;
    bool Launch(char console, bool withShow);

    std::string folder_;
    std::unique_ptr<QProcess> a_;
    std::unique_ptr<QProcess> b_;
    std::map<char, std::map<std::string, std::string>> environment_;
};

}  // namespace tamberline::testing
