#include "triggers/timecode/ltc_reader.h"

#include <algorithm>

namespace tamberline {

void LtcReader::Block(std::span<const uint8_t> samples, uint32_t atMs) {
    size_t done = 0;
    while (done < samples.size()) {
        const size_t length = std::min(LtcDecoder::kBlockBytes, samples.size() - done);
        const std::span<const uint8_t> part = samples.subspan(done, length);
        done += length;
        // The end of this part was heard this long before the whole.
        const uint32_t partEndMs = atMs - static_cast<uint32_t>(uint64_t{samples.size() - done} *
                                                                1000 / LtcDecoder::kSampleRate);
        decoder_.Decode(part);
        std::vector<LtcArrival> arrivals;
        LtcFrame frame;
        while (decoder_.Pop(frame)) {
            LtcArrival arrival;
            arrival.frame = frame;
            arrival.rate = frame.rate;
            arrival.atMs = partEndMs - static_cast<uint32_t>(uint64_t{length - frame.endSample} *
                                                             1000 / LtcDecoder::kSampleRate);
            arrivals.push_back(arrival);
        }
        if (!arrivals.empty()) {
            frames_(std::move(arrivals));
        }
    }
}

}  // namespace tamberline
