#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tamberline {

// One LTC frame as received: the 80 bits (bit n is bit n % 32 of word
// n / 32), and where in the block it ended.
struct LtcFrame {
    std::array<uint32_t, 3> bits{};
    uint32_t endSample = 0;  // samples from the block's start to the sync word's end
    int rate = 0;            // the decoder's rate for this frame

    int Bits(int first, int count) const;
    int FrameNumber() const { return Bits(0, 4) + 10 * Bits(8, 2); }
    bool DropFrame() const { return Bits(10, 1) != 0; }
    int Seconds() const { return Bits(16, 4) + 10 * Bits(24, 3); }
    int Minutes() const { return Bits(32, 4) + 10 * Bits(40, 3); }
    int Hours() const { return Bits(48, 4) + 10 * Bits(56, 2); }
    int SecondOfDay() const { return Seconds() + 60 * Minutes() + 3600 * Hours(); }
    // Every BCD digit a digit and the time one of a day.
    bool InRange() const;
};

// Reads LTC from unsigned 8-bit mono samples at 22050 per second. The
// signal (each sample added to the one before) is measured against its own
// centre (a slow mean, so a DC offset does no harm) and its mean level: a
// transition is the signal crossing to the other side of the centre by a
// quarter of that level, which a noise peak smaller than the signal never
// does. Transition intervals against
// the tracked bit period (kept within what 24 to 30 frames a second can
// have) give biphase half-bits and bits; the sync word 0x3FFD ends each
// frame of 80 bits. Frames carrying impossible BCD are dropped. The frame
// rate is taken from the frame before a frame 0, only when it is 24, 25 or
// 30 and the same at two frame 0s in a row, so a lost frame or a jump never
// sets a wrong rate. A new rate goes with the frames from that frame 0 on;
// the bit clock follows the signal by itself, so nothing is dropped. One
// thread only.
class LtcDecoder {
public:
    static constexpr int kSampleRate = 22050;
    static constexpr size_t kBlockBytes = 2756;
    static constexpr size_t kQueueSize = 4;

    explicit LtcDecoder(int frameRate = 25) { Reset(frameRate); }

    // Decodes one block; false when the rate changed in it. Frames go to
    // the queue; when it is full further frames of the block are counted
    // as lost.
    bool Decode(std::span<const uint8_t> samples);
    // Oldest first; false when empty.
    bool Pop(LtcFrame& frame);

    int frameRate() const { return frameRate_; }
    uint64_t framesLost() const { return framesLost_; }
    uint64_t framesDropped() const { return framesDropped_; }

    // Starts afresh, as at creation.
    void Reset(int frameRate);

private:
    void Level(int sample);
    void Emit(uint8_t value);
    void Bit(int bit);
    void FrameComplete();

    int frameRate_ = 25;
    std::array<LtcFrame, kQueueSize> queue_{};
    size_t readPos_ = 0;
    size_t count_ = 0;
    int lastFrameNumber_ = -1;
    int rateCandidate_ = 0;  // the rate a frame 0 proposed last
    bool rateChanged_ = false;
    uint8_t biphaseState_ = 1;
    uint8_t previousValue_ = 0;
    uint8_t levelState_ = 0;  // 1 while the signal is below its centre
    int32_t sampleCount_ = 0;
    int32_t bitPeriod_ = 0;  // in 1/16 samples
    int32_t lastSample_ = 128;
    int32_t centre_ = 0;  // of two samples added, in 1/65536 steps
    int32_t level_ = 0;   // their mean distance from the centre, 1/256 steps
    uint16_t sync_ = 0;
    uint32_t bitCount_ = 0;             // since the last sync word
    bool aligned_ = false;              // a sync word was seen since the start
    std::array<uint32_t, 3> window_{};  // the last 80 bits, oldest at bit 0
    LtcFrame frame_{};
    uint32_t sampleIndex_ = 0;  // in the block being decoded
    uint64_t framesLost_ = 0;
    uint64_t framesDropped_ = 0;
};

}  // namespace tamberline
