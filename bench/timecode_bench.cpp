// The LTC decoder's figures: decoding speed in multiples of real time (on
// the clock of the decoding thread, so a busy machine does not halve it, and
// on the wall clock), and beside libltc's own decoder on the same input the
// share of the frames written that each reads, and the frames each misreads
// (read as something never written), from clean, noisy, quiet (-30 dBFS)
// and inverted timecode. Noise is white, even between its peaks, added to
// the unsigned 8-bit samples.
//
//   build/bench/timecode_bench [seconds of timecode, 60]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "ltc_signal.h"
#include "triggers/timecode/ltc_decoder.h"

using namespace tamberline;
using namespace tamberline::testing;

namespace {

std::vector<ReadFrame> DecodeOurs(const std::vector<uint8_t>& samples) {
    LtcDecoder decoder;
    std::vector<ReadFrame> frames;
    for (size_t at = 0; at < samples.size(); at += LtcDecoder::kBlockBytes) {
        const size_t n = std::min(LtcDecoder::kBlockBytes, samples.size() - at);
        decoder.Decode(std::span(samples).subspan(at, n));
        LtcFrame frame;
        while (decoder.Pop(frame)) {
            frames.push_back({frame.SecondOfDay(), frame.FrameNumber()});
        }
    }
    return frames;
}

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Case {
    const char* name;
    double fps;
    double dbfs;
    bool inverted;
    int noisePeak;  // in sample steps of 8 bits
};

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    LtcSignal speed;
    speed.frames = 25 * seconds;
    const std::vector<uint8_t> clean = EncodeLtc(speed);
    const double audioSeconds = static_cast<double>(clean.size()) / LtcDecoder::kSampleRate;
    size_t decoded = 0;
    const int rounds = 20;
    const double cpuStart = ThreadSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        decoded += DecodeOurs(clean).size();
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = ThreadSeconds() - cpuStart;
    std::printf(
        "decoding speed: %.0f x real time on the thread's clock, %.0f x on the wall clock "
        "(%.1f s of 25 fps LTC, %d rounds, %zu frames)\n",
        audioSeconds * rounds / cpu, audioSeconds * rounds / wall, audioSeconds, rounds,
        decoded / rounds);

    const Case cases[] = {
        {"clean 25 fps", 25, -3, false, 0},
        {"noisy 25 fps (-3 dBFS, noise 24)", 25, -3, false, 24},
        {"noisy 25 fps (-10 dBFS, noise 24)", 25, -10, false, 24},
        {"noisy 30 fps (-6 dBFS, noise 32)", 30, -6, false, 32},
        {"very noisy 25 fps (-6 dBFS, noise 48)", 25, -6, false, 48},
        {"quiet 25 fps (-30 dBFS)", 25, -30, false, 0},
        {"quiet 30 fps (-30 dBFS)", 30, -30, false, 0},
        {"quiet noisy 25 fps (-30 dBFS, noise 2)", 25, -30, false, 2},
        {"inverted 25 fps", 25, -3, true, 0},
        {"inverted quiet noisy 24 fps (-30 dBFS, noise 2)", 24, -30, true, 2},
        // Past what a show should meet: noise peaks near or above the signal's.
        {"noise as loud as the signal 25 fps (-6 dBFS, 64)", 25, -6, false, 64},
        {"noise above the signal 25 fps (-6 dBFS, noise 80)", 25, -6, false, 80},
        {"noise near the signal 30 fps (-6 dBFS, noise 56)", 30, -6, false, 56},
        {"noise near the signal 24 fps (-6 dBFS, noise 56)", 24, -6, false, 56},
        {"quiet, noise as loud 25 fps (-30 dBFS, noise 4)", 25, -30, false, 4},
        {"quiet very noisy 30 fps (-20 dBFS, noise 12)", 30, -20, false, 12},
        {"loud noisy inverted 25 fps (-1 dBFS, noise 100)", 25, -1, true, 100},
    };
    std::printf("\n%-52s %7s %8s %8s %8s %8s\n", "signal", "written", "ours", "misread", "libltc",
                "misread");
    for (const Case& c : cases) {
        LtcSignal signal;
        signal.fps = c.fps;
        signal.frames = static_cast<int>(c.fps) * seconds;
        signal.dbfs = c.dbfs;
        signal.inverted = c.inverted;
        std::vector<uint8_t> samples = EncodeLtc(signal);
        if (c.noisePeak > 0) {
            AddNoise(samples, c.noisePeak, 11);
        }
        const ReadCount ours = CountRead(DecodeOurs(samples), signal);
        const ReadCount theirs = CountRead(DecodeWithLibltc(samples, c.fps), signal);
        const auto share = [&](size_t n) { return 100.0 * static_cast<double>(n) / signal.frames; };
        std::printf("%-52s %7d %7.1f%% %8zu %7.1f%% %8zu\n", c.name, signal.frames,
                    share(ours.read), ours.misread, share(theirs.read), theirs.misread);
    }
    return 0;
}
