// MIDI's figures on the JACK server of the test services: a note on written
// to a JACK MIDI port by another program, to the first sound of its button
// at the engine's output; then the same while the GUI thread is blocked.
//
//   source /tmp/tamberline-services/env && build/bench/midi_bench [notes, 500]

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/message_box.h"
#include "midi_on_jack.h"

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

// One note on, and the milliseconds from the cycle it went out in to the
// first sample of sound; negative when none came.
double Trial(testing::MidiOnJack& jack) {
    testing::JackMidiPeer& peer = jack.peer();
    const jack_nframes_t before = peer.LastSentFrame();
    peer.ArmSoundWatch();
    peer.Send({0x90, 60, 100});
    double ms = -1;
    // Up to a second for the first sound, however busy the machine is.
    for (int wait = 0; wait < 10000 && ms < 0; ++wait) {
        std::this_thread::sleep_for(100us);
        const jack_nframes_t sent = peer.LastSentFrame();
        const jack_nframes_t heard = peer.SoundFrame();
        if (sent != before && heard != 0) {
            ms = static_cast<double>(static_cast<int32_t>(heard - sent)) / kFramesPerMs;
        }
    }
    jack.run().StopButton(0);
    std::this_thread::sleep_for(50ms);
    return ms;
}

void Report(const char* what, std::vector<double> ms) {
    const size_t missed = static_cast<size_t>(std::count(ms.begin(), ms.end(), -1.0));
    std::erase(ms, -1.0);
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        std::printf("  %s: no sound\n", what);
        return;
    }
    const size_t p99 = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(ms.size()))) - 1;
    std::printf(
        "  %s: %zu notes, median %.2f ms, 99th percentile %.2f ms, max %.2f ms, %zu silent\n", what,
        ms.size(), ms[ms.size() / 2], ms[p99], ms.back(), missed);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int notes = argc > 1 ? std::atoi(argv[1]) : 500;
    QTemporaryDir dir;
    QuietBox box;
    testing::MidiOnJack jack((dir.path() + "/Tamberline.conf").toStdString(), box);
    std::string why;
    if (!jack.Start(why)) {
        std::printf("midi_bench: %s\n", why.c_str());
        return 1;
    }
    const std::string tone = testing::MidiOnJack::WriteTone(dir.path().toStdString(), 1.0);
    jack.run().LoadRecord(0, jack.Button(tone, 60, 0));
    if (!jack.peer().Listen(jack.FirstOutputPort()) || !jack.OpenMidi()) {
        std::printf("midi_bench: MIDI did not open\n");
        return 1;
    }
    std::printf("JACK period 256 at 48 kHz (5.33 ms); target (a) 7.33 ms, (b) 10 ms\n");

    std::vector<double> free;
    for (int i = 0; i < notes; ++i) {
        free.push_back(Trial(jack));
    }
    Report("(a) note on to first sound", free);

    // This thread stands for the GUI thread: it sleeps 2 s at a time while
    // notes arrive.
    std::vector<double> blocked;
    for (int block = 0; block < 5; ++block) {
        std::thread notes([&] {
            for (int i = 0; i < 18; ++i) {
                blocked.push_back(Trial(jack));
            }
        });
        std::this_thread::sleep_for(2s);
        notes.join();
    }
    Report("(b) the same, GUI thread blocked 2 s", blocked);
    return 0;
}
