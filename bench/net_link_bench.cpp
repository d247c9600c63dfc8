// The network link across two test hosts (network namespaces of
// scripts/link-hosts.sh; root only): a start pressed on the master to the
// first sample of the slave's engine output, 200 starts, median and 99th
// percentile; and, for comparison, the same start pressed on the slave.
// The slave plays the demo show on the JACK server of the test services
// ("ASIO 1+2" of its "system" driver); a JACK client of the benchmark's
// own listens to the slave's first output and notes, on JACK's clock, the
// frame where the sound begins. Both programs mark the stages of each
// start (TAMBERLINE_STAGE_TRACE), so the figures say where the time goes:
// datagram sent, received, start run on the control thread, file
// prepared, voice started, first sample.
//   source /tmp/tamberline-services/env && net_link_bench
#include <jack/jack.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
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

int64_t MonotonicUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Listens to one port of the slave and notes when its sound begins.
class Ear {
public:
    ~Ear() {
        if (client_) {
            jack_client_close(client_);
        }
    }
    bool Open() {
        client_ = jack_client_open("tamberline-bench-ear", JackNoStartServer, nullptr);
        if (!client_) {
            return false;
        }
        in_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, &Ear::Process, this);
        return in_ && jack_activate(client_) == 0;
    }
    // The clients with an "out_1" port. The server cannot tell a client's
    // process (jack_get_client_pid is a JACK1 call), so the slave's client
    // is the one that appears after the programs start: the master has no
    // engine and opens none.
    std::set<std::string> Players() const {
        std::set<std::string> found;
        const char** ports =
            jack_get_ports(client_, "out_1$", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
        for (int i = 0; ports && ports[i]; ++i) {
            const std::string port = ports[i];
            found.insert(port.substr(0, port.find(':')));
        }
        jack_free(ports);
        return found;
    }
    // The one client that came since `before`, waiting up to 10 s for the
    // slave to open its engine; empty when none or several came.
    std::string NewPlayer(const std::set<std::string>& before) const {
        for (int i = 0; i < 200; ++i) {
            std::vector<std::string> fresh;
            for (const std::string& client : Players()) {
                if (!before.count(client)) {
                    fresh.push_back(client);
                }
            }
            if (fresh.size() == 1) {
                return fresh.front();
            }
            if (fresh.size() > 1) {
                return {};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return {};
    }
    bool Listen(const std::string& port) {
        return jack_connect(client_, port.c_str(), jack_port_name(in_)) == 0;
    }
    void Arm() {
        heard_.store(0);
        armed_.store(true);
    }
    // The monotonic time of the first sound since Arm, or 0.
    int64_t Heard() const {
        const jack_time_t at = heard_.load();
        return at == 0 ? 0 : static_cast<int64_t>(at) + jackToMonotonic_;
    }
    int64_t SilentFor() const {  // microseconds since the last sound
        return MonotonicUs() - (static_cast<int64_t>(lastSound_.load()) + jackToMonotonic_);
    }
    void Calibrate() { jackToMonotonic_ = MonotonicUs() - static_cast<int64_t>(jack_get_time()); }
    int64_t Offset() const { return jackToMonotonic_; }

private:
    static int Process(jack_nframes_t frames, void* self) {
        auto* ear = static_cast<Ear*>(self);
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(ear->in_, frames));
        const jack_nframes_t first = jack_last_frame_time(ear->client_);
        for (jack_nframes_t i = 0; i < frames; ++i) {
            if (samples[i] != 0.0f) {
                const jack_time_t at = jack_frames_to_time(ear->client_, first + i);
                if (ear->armed_.exchange(false)) {
                    ear->heard_.store(at);
                }
                ear->lastSound_.store(jack_frames_to_time(ear->client_, first + frames));
                break;
            }
        }
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    std::atomic<bool> armed_{false};
    std::atomic<jack_time_t> heard_{0};
    std::atomic<jack_time_t> lastSound_{0};
    int64_t jackToMonotonic_ = 0;
};

// The stage marks of one console: stage -> times.
using Marks = std::map<std::string, std::vector<int64_t>>;

Marks ReadMarks(const std::string& path) {
    Marks marks;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int64_t at = 0;
        std::string stage;
        if (fields >> at >> stage) {
            marks[stage].push_back(at);
        }
    }
    return marks;
}

// The first mark of `stage` in [from, to).
int64_t FirstIn(const Marks& marks, const std::string& stage, int64_t from, int64_t to) {
    const auto it = marks.find(stage);
    if (it == marks.end()) {
        return 0;
    }
    for (const int64_t at : it->second) {
        if (at >= from && at < to) {
            return at;
        }
    }
    return 0;
}

struct Trial {
    int64_t pressed = 0;
    int64_t heard = 0;  // 0: no sound within two seconds
};

// Presses `button` on `console` and waits for the slave's sound; then
// stops it and waits for silence.
Trial Press(LinkHosts& hosts, Ear& ear, char console, int button) {
    Trial trial;
    ear.Arm();
    trial.pressed = MonotonicUs();
    hosts.Command(console, "start " + std::to_string(button));
    const int64_t deadline = trial.pressed + 2000000;
    while (ear.Heard() == 0 && MonotonicUs() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    trial.heard = ear.Heard();
    hosts.Command(console, "stopall");
    hosts.WaitFor('B', "status", "running= ", 2000);
    // The stop fades nothing in the demo show but the gong; let it end.
    for (int i = 0; i < 400 && ear.SilentFor() < 50000; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return trial;
}

void Report(const char* title, const std::vector<Trial>& trials, const Marks& master,
            const Marks& slave, bool linked) {
    struct Step {
        const char* name;
        const Marks* marks;
        const char* stage;
    };
    std::vector<Step> steps;
    if (linked) {
        steps.push_back({"datagram sent (master)", &master, "sent"});
        steps.push_back({"received (slave)", &slave, "received"});
    }
    steps.push_back({"start run on the control thread", &slave, "control"});
    steps.push_back({"file prepared", &slave, "prepared"});
    steps.push_back({"voice started", &slave, "voice"});
    std::vector<double> total;
    std::vector<std::vector<double>> parts(steps.size() + 1);
    size_t silent = 0;
    for (size_t t = 0; t < trials.size(); ++t) {
        const Trial& trial = trials[t];
        if (trial.heard == 0) {
            ++silent;
            continue;
        }
        total.push_back(static_cast<double>(trial.heard - trial.pressed) / 1000.0);
        const int64_t until = t + 1 < trials.size() ? trials[t + 1].pressed : INT64_MAX;
        int64_t previous = trial.pressed;
        bool complete = true;
        std::vector<double> row;
        for (const Step& step : steps) {
            const int64_t at = FirstIn(*step.marks, step.stage, trial.pressed, until);
            complete = complete && at != 0;
            row.push_back(static_cast<double>(at - previous) / 1000.0);
            previous = at;
        }
        row.push_back(static_cast<double>(trial.heard - previous) / 1000.0);
        if (complete) {
            for (size_t i = 0; i < row.size(); ++i) {
                parts[i].push_back(row[i]);
            }
        }
    }
    std::printf("%s: %zu starts\n", title, trials.size());
    std::printf(
        "  press to first sample:  median %7.2f ms, 99th percentile %7.2f ms, "
        "over 1 s %zu, silent %zu\n",
        Percentile(total, 0.5), Percentile(total, 0.99),
        static_cast<size_t>(
            std::count_if(total.begin(), total.end(), [](double ms) { return ms > 1000; })),
        silent);
    std::printf("  where it goes (%zu starts with every mark):\n", parts[0].size());
    for (size_t i = 0; i <= steps.size(); ++i) {
        std::printf("    to %-32s median %7.2f ms, 99th percentile %7.2f ms\n",
                    i < steps.size() ? steps[i].name : "first sample on the output",
                    Percentile(parts[i], 0.5), Percentile(parts[i], 0.99));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string why = LinkHosts::Unavailable();
    if (!why.empty()) {
        std::printf("net_link_bench: skipped, %s\n", why.c_str());
        return 0;
    }
    Ear ear;
    QTemporaryDir dir;
    LinkHosts hosts(dir.path().toStdString());
    // The slave plays on the engine, on the JACK server.
    if (!hosts.PlayOnJack('B') || !ear.Open()) {
        std::printf(
            "net_link_bench: skipped, no JACK server (source /tmp/tamberline-services/env)\n");
        return 0;
    }
    ear.Calibrate();
    const std::string masterTrace = dir.path().toStdString() + "/A.trace";
    const std::string slaveTrace = dir.path().toStdString() + "/B.trace";
    hosts.SetEnvironment('A', "TAMBERLINE_STAGE_TRACE", masterTrace);
    hosts.SetEnvironment('B', "TAMBERLINE_STAGE_TRACE", slaveTrace);
    const std::set<std::string> before = ear.Players();
    if (!hosts.Start("B")) {
        std::printf("net_link_bench: the programs did not start\n%s\n", hosts.Log('B').c_str());
        return 1;
    }
    const std::string player = ear.NewPlayer(before);
    if (player.empty() || !ear.Listen(player + ":out_1")) {
        std::printf("net_link_bench: the slave plays on no JACK port\n%s\n",
                    hosts.Log('B').c_str());
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
    std::vector<Trial> linked;
    for (int i = 0; i < kStarts; ++i) {
        linked.push_back(Press(hosts, ear, 'A', i % 6));  // the demo show's buttons
    }
    // The same starts pressed on the slave itself, the link left out.
    constexpr int kLocalStarts = 50;
    std::vector<Trial> local;
    for (int i = 0; i < kLocalStarts; ++i) {
        local.push_back(Press(hosts, ear, 'B', i % 6));
    }
    const Marks master = ReadMarks(masterTrace);
    const Marks slave = ReadMarks(slaveTrace);
    std::printf(
        "net_link_bench: the slave plays on JACK client %s (JACK and monotonic clocks %lld us "
        "apart)\n",
        player.c_str(), static_cast<long long>(ear.Offset()));
    Report("start pressed on the master", linked, master, slave, true);
    Report("start pressed on the slave itself", local, master, slave, false);
    return 0;
}
