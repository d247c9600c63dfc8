// The LTC decoder's figures: decoding speed in multiples of real time, and
// beside libltc's own decoder on the same input the share of frames each
// reads from clean, noisy, quiet (-30 dBFS) and inverted timecode.
//
//   build/bench/timecode_bench [seconds of timecode, 60]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "ltc_signal.h"
#include "triggers/timecode/ltc_decoder.h"

using namespace tamberline;
using namespace tamberline::testing;

namespace {

size_t DecodeOurs(const std::vector<uint8_t>& samples) {
    LtcDecoder decoder;
    size_t frames = 0;
    for (size_t at = 0; at < samples.size(); at += LtcDecoder::kBlockBytes) {
        const size_t n = std::min(LtcDecoder::kBlockBytes, samples.size() - at);
        decoder.Decode(std::span(samples).subspan(at, n));
        LtcFrame frame;
        while (decoder.Pop(frame)) {
            ++frames;
        }
    }
    return frames;
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
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        decoded += DecodeOurs(clean);
    }
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("decoding speed: %.0f x real time (%.1f s of 25 fps LTC, %d rounds, %zu frames)\n",
                audioSeconds * rounds / took, audioSeconds, rounds, decoded / rounds);

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
    };
    std::printf("\n%-50s %8s %8s %8s\n", "signal", "written", "ours", "libltc");
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
        const size_t ours = DecodeOurs(samples);
        const size_t theirs = DecodeWithLibltc(samples, c.fps).size();
        std::printf("%-50s %8d %7.1f%% %7.1f%%\n", c.name, signal.frames,
                    100.0 * static_cast<double>(ours) / signal.frames,
                    100.0 * static_cast<double>(theirs) / signal.frames);
    }
    return 0;
}
