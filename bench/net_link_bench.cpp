// The network link across two test hosts (network namespaces of
// scripts/link-hosts.sh; root only): a start pressed on the master to the
// moment the slave's run control has the button running, and to the
// moment the master shows it running (the slave's report back). 200
// starts, median and 99th percentile; and, for comparison, the slave's
// own start of the same buttons with no link in between.
//   net_link_bench
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "net/link_hosts.h"

namespace {

using tamberline::testing::LinkHosts;

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

// Polls `console` for `button` running, as fast as the control socket
// answers; the time from `pressed`, or -1 after a second.
double UntilRunning(LinkHosts& hosts, char console, int button, const QElapsedTimer& pressed) {
    const std::string line = "clock " + std::to_string(button);
    while (pressed.elapsed() < 1000) {
        if (hosts.Command(console, line).rfind("running=1", 0) == 0) {
            return static_cast<double>(pressed.nsecsElapsed()) / 1e6;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string why = LinkHosts::Unavailable();
    if (!why.empty()) {
        std::printf("net_link_bench: skipped, %s\n", why.c_str());
        return 0;
    }
    QTemporaryDir dir;
    LinkHosts hosts(dir.path().toStdString());
    if (!hosts.Start("B")) {
        std::printf("net_link_bench: the programs did not start\n%s\n", hosts.Log('B').c_str());
        return 1;
    }
    hosts.Command('A', std::string("connect ") + LinkHosts::kAddressB + " B master");
    if (!hosts.WaitFor('B', "status", "box=Connection request") ||
        hosts.Command('B', "answer ok") != "ok" ||
        !hosts.WaitFor('A', "status", "role=master connected=1 syncing=0")) {
        std::printf("net_link_bench: the link was not made\n");
        return 1;
    }
    constexpr int kStarts = 200;
    std::vector<double> slave;
    std::vector<double> master;
    for (int i = 0; i < kStarts; ++i) {
        const int button = i % 6;  // the demo show's buttons
        QElapsedTimer pressed;
        pressed.start();
        hosts.Command('A', "start " + std::to_string(button));
        const double onSlave = UntilRunning(hosts, 'B', button, pressed);
        const double onMaster = UntilRunning(hosts, 'A', button, pressed);
        if (onSlave >= 0) {
            slave.push_back(onSlave);
        }
        if (onMaster >= 0) {
            master.push_back(onMaster);
        }
        hosts.Command('A', "stopall");
        hosts.WaitFor('B', "status", "running= ", 2000);
        hosts.WaitFor('A', "status", "running= ", 2000);
    }
    // The same start made on the slave itself: what its engine takes
    // without the link.
    constexpr int kLocalStarts = 50;
    std::vector<double> local;
    for (int i = 0; i < kLocalStarts; ++i) {
        const int button = i % 6;
        QElapsedTimer pressed;
        pressed.start();
        hosts.Command('B', "start " + std::to_string(button));
        const double onSlave = UntilRunning(hosts, 'B', button, pressed);
        if (onSlave >= 0) {
            local.push_back(onSlave);
        }
        hosts.Command('B', "stopall");
        hosts.WaitFor('B', "status", "running= ", 2000);
    }
    std::printf("net_link_bench: %d starts on the master across the test hosts\n", kStarts);
    std::printf("  to running on the slave:     median %.2f ms, 99th percentile %.2f ms (%zu)\n",
                Percentile(slave, 0.5), Percentile(slave, 0.99), slave.size());
    std::printf("  to running shown on master:  median %.2f ms, 99th percentile %.2f ms (%zu)\n",
                Percentile(master, 0.5), Percentile(master, 0.99), master.size());
    std::printf(
        "  a start made on the slave itself:  median %.2f ms, 99th percentile %.2f ms (%zu of "
        "%d)\n",
        Percentile(local, 0.5), Percentile(local, 0.99), local.size(), kLocalStarts);
    return 0;
}
