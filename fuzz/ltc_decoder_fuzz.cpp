// The LTC decoder on arbitrary samples: whatever it reads is a frame a day
// can have, at a rate it may take, and the queue never holds more than four.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "triggers/timecode/ltc_decoder.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tamberline::LtcDecoder decoder;
    const std::span<const uint8_t> samples(data, size);
    // Blocks of uneven length, the first byte choosing it.
    const size_t block = size == 0 ? 1 : 1 + data[0] * 16U;
    for (size_t at = 0; at < size; at += block) {
        const size_t n = std::min(block, size - at);
        decoder.Decode(samples.subspan(at, n));
        int queued = 0;
        tamberline::LtcFrame frame;
        while (decoder.Pop(frame)) {
            ++queued;
            Check(frame.InRange());
            Check(frame.endSample >= 1 && frame.endSample <= n);
            Check(frame.rate == 24 || frame.rate == 25 || frame.rate == 30);
            Check(frame.SecondOfDay() < 86400 && frame.FrameNumber() < 30);
        }
        Check(queued <= 4);
    }
    return 0;
}
