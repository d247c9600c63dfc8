#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "triggers/timecode/ltc_decoder.h"
#include "triggers/timecode/timecode_sources.h"

namespace tamberline {

// The capture thread's share of the timecode: decodes each block and hands
// the frames on with the time their last bit was heard.
class LtcReader {
public:
    using FramesFn = std::function<void(std::vector<LtcArrival> frames)>;

    LtcReader(int frameRate, FramesFn frames) : decoder_(frameRate), frames_(std::move(frames)) {}

    // Blocks longer than one are read one block at a time, so that the
    // queue of four frames never overflows.
    void Block(std::span<const uint8_t> samples, uint32_t atMs);
    int frameRate() const { return decoder_.frameRate(); }
    const LtcDecoder& decoder() const { return decoder_; }

private:
    LtcDecoder decoder_;
    FramesFn frames_;
};

}  // namespace tamberline
