// The P-Bus line's figure on the JACK server of the test services: a
// trigger line written by a controller into a socat pseudo-terminal, to the
// first sound of its button at the engine's output.
//
//   source /tmp/tamberline-services/env &&
//   flock /tmp/tamberline-jack.lock build/bench/pbus_bench [lines, 500]

#include <QCoreApplication>
#include <QSerialPort>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/message_box.h"
#include "midi_on_jack.h"
#include "session/registry.h"
#include "socat_line.h"
#include "triggers/pbus/pbus_port.h"
#include "triggers/pbus/pbus_run_target.h"

using namespace tamberline;
using namespace std::chrono_literals;

namespace {

class QuietBox final : public MessageBox {
public:
    int Show(const std::string& text, unsigned, BoxPlacement) override {
        std::printf("  message: %s\n", text.c_str());
        return kResultOk;
    }
};

constexpr double kFramesPerMs = 48.0;

void Write(QSerialPort& line, const char* text) {
    line.write(text);
    while (line.bytesToWrite() > 0 && line.waitForBytesWritten(1000)) {
    }
}

// One trigger line, and the milliseconds from the JACK cycle it was
// written in to the first sample of sound; negative when none came.
double Trial(testing::MidiOnJack& jack, QSerialPort& line) {
    testing::JackMidiPeer& peer = jack.peer();
    peer.ArmSoundWatch();
    const jack_nframes_t written = peer.FrameTime();
    Write(line, "T0000010\r");
    double ms = -1;
    for (int wait = 0; wait < 10000 && ms < 0; ++wait) {
        std::this_thread::sleep_for(100us);
        if (const jack_nframes_t heard = peer.SoundFrame()) {
            ms = static_cast<double>(static_cast<int32_t>(heard - written)) / kFramesPerMs;
        }
    }
    jack.run().StopButton(0);
    std::this_thread::sleep_for(50ms);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 500;
    QTemporaryDir dir;
    QuietBox box;
    testing::MidiOnJack jack((dir.path() + "/Tamberline.conf").toStdString(), box);
    std::string why;
    testing::SocatLine socat(dir.path().toStdString());
    if (!jack.Start(why) || !socat.Start(why)) {
        std::printf("pbus_bench: %s\n", why.c_str());
        return 1;
    }
    const std::string tone = testing::MidiOnJack::WriteTone(dir.path().toStdString(), 1.0);
    jack.run().LoadRecord(0, jack.Button(tone, 0, 0));
    if (!jack.peer().Listen(jack.FirstOutputPort())) {
        std::printf("pbus_bench: cannot listen to the engine\n");
        return 1;
    }

    Registry registry((dir.path() + "/Pbus.conf").toStdString().c_str());
    registry.SetString(settings::kPbusPort, socat.programEnd());
    registry.SetDword(settings::kPbusParity, 2);
    PbusRunTarget target(jack.run());
    PbusPort port(
        PbusPort::Services{registry, box, target, nullptr, nullptr, nullptr, &OpenablePbusPorts});
    QSerialPort line;
    line.setPortName(QString::fromStdString(socat.controllerEnd()));
    if (!port.Open() || !line.open(QIODevice::ReadWrite) || !line.setBaudRate(38400)) {
        std::printf("pbus_bench: the serial line did not open\n");
        return 1;
    }
    Write(line, "R000001000\r");
    std::this_thread::sleep_for(100ms);
    std::printf("JACK period 256 at 48 kHz (5.33 ms); the reader wakes as the bytes arrive\n");

    std::vector<double> ms;
    for (int i = 0; i < lines; ++i) {
        ms.push_back(Trial(jack, line));
    }
    const size_t missed = static_cast<size_t>(std::count(ms.begin(), ms.end(), -1.0));
    std::erase(ms, -1.0);
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        std::printf("  no sound\n");
        return 1;
    }
    const size_t p99 = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(ms.size()))) - 1;
    std::printf(
        "  trigger line to first sound: %zu lines, median %.2f ms, 99th percentile %.2f ms, max "
        "%.2f ms, %zu silent\n",
        ms.size(), ms[ms.size() / 2], ms[p99], ms.back(), missed);
    return 0;
}
