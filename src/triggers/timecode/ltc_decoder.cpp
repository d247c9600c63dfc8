#include "triggers/timecode/ltc_decoder.h"

#include <algorithm>

namespace tamberline {

namespace {

constexpr uint16_t kSyncWord = 0x3FFD;
constexpr uint32_t kFrameBits = 80;
constexpr int kMaxFrameNumber = 30;
// Bit periods are kept in 1/16 samples, within a fifth of the periods of 30
// and 24 frames a second: noise or silence cannot pull the bit clock so far
// that timecode coming back would not be read at once.
constexpr int32_t kPeriodOne = 16;
constexpr int32_t kMinPeriod =
    LtcDecoder::kSampleRate * kPeriodOne / (30 * static_cast<int32_t>(kFrameBits)) * 4 / 5;
constexpr int32_t kMaxPeriod =
    LtcDecoder::kSampleRate * kPeriodOne / (24 * static_cast<int32_t>(kFrameBits)) * 6 / 5;
// Levels are kept in 1/256 steps, the centre in 1/65536, fine enough that
// its slow mean does not creep on a signal of a few steps.
constexpr int kLevelShift = 8;
constexpr int kCentreShift = 16;

bool IsRate(int rate) {
    return rate == 24 || rate == 25 || rate == 30;
}

}  // namespace

int LtcFrame::Bits(int first, int count) const {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const int n = first + i;
        value |= static_cast<int>((bits[static_cast<size_t>(n / 32)] >> (n % 32)) & 1U) << i;
    }
    return value;
}

bool LtcFrame::InRange() const {
    return Bits(0, 4) <= 9 && FrameNumber() < kMaxFrameNumber && Bits(16, 4) <= 9 &&
           Seconds() < 60 && Bits(32, 4) <= 9 && Minutes() < 60 && Bits(48, 4) <= 9 && Hours() < 24;
}

void LtcDecoder::Reset(int frameRate) {
    frameRate_ = frameRate;
    readPos_ = 0;
    count_ = 0;
    lastFrameNumber_ = -1;
    rateCandidate_ = 0;
    rateChanged_ = false;
    biphaseState_ = 1;
    previousValue_ = 0;
    levelState_ = 0;
    sampleCount_ = 0;
    bitPeriod_ = kSampleRate * kPeriodOne / (frameRate * static_cast<int32_t>(kFrameBits));
    centre_ = 2 * 128 << kCentreShift;
    lastSample_ = 128;
    level_ = 0;
    sync_ = 0;
    bitCount_ = 0;
    aligned_ = false;
    window_ = {};
    frame_ = LtcFrame{};
}

bool LtcDecoder::Pop(LtcFrame& frame) {
    if (count_ == 0) {
        return false;
    }
    frame = queue_[readPos_];
    readPos_ = (readPos_ + 1) % kQueueSize;
    --count_;
    return true;
}

bool LtcDecoder::Decode(std::span<const uint8_t> samples) {
    rateChanged_ = false;
    for (sampleIndex_ = 0; sampleIndex_ < samples.size(); ++sampleIndex_) {
        Level(samples[sampleIndex_]);
    }
    return !rateChanged_;
}

// Two samples in a row are added up, which takes the edge off single noise
// peaks without blurring a half-bit of five samples. Their centre follows
// over about 0.2 s, their level over a few bits, so a fade or a clipped
// signal is followed within a frame. A transition needs the sum a quarter
// of its level past the centre.
void LtcDecoder::Level(int sample) {
    const int32_t s = sample + lastSample_;
    lastSample_ = sample;
    centre_ += ((s << kCentreShift) - centre_) >> 12;
    const int32_t d = (s << kLevelShift) - (centre_ >> (kCentreShift - kLevelShift));
    level_ += ((d < 0 ? -d : d) - level_) >> 5;
    const int32_t hysteresis = level_ >> 2;
    if ((levelState_ == 1 && d > hysteresis) || (levelState_ == 0 && d < -hysteresis)) {
        // Longer than three quarters of a bit is a whole bit (biphase 0 or
        // the two halves of a missed 1), else half a bit.
        int32_t interval = sampleCount_ * kPeriodOne;
        if (interval * 4 > bitPeriod_ * 3) {
            Emit(levelState_);
            Emit(levelState_);
        } else {
            Emit(levelState_);
            interval *= 2;
        }
        // Slow enough that one late edge moves it little.
        bitPeriod_ =
            std::clamp(bitPeriod_ + ((interval - bitPeriod_) >> 4), kMinPeriod, kMaxPeriod);
        sampleCount_ = 0;
        levelState_ ^= 1;
    }
    ++sampleCount_;
}

void LtcDecoder::Emit(uint8_t value) {
    if (value == previousValue_) {
        biphaseState_ = 1;
        Bit(0);
    } else {
        biphaseState_ ^= 1;
        if (biphaseState_ == 1) {
            Bit(1);
        }
    }
    previousValue_ = value;
}

void LtcDecoder::Bit(int bit) {
    window_[0] = (window_[0] >> 1) | (window_[1] << 31);
    window_[1] = (window_[1] >> 1) | (window_[2] << 31);
    window_[2] = (window_[2] >> 1) | (static_cast<uint32_t>(bit) << 15);
    sync_ = static_cast<uint16_t>((sync_ << 1) | bit);
    ++bitCount_;
    if (sync_ == kSyncWord) {
        // A frame is the 80 bits up to its sync word: right after the last
        // sync word, or two frames after it when that one was misread, or
        // the first frame heard once enough bits have come.
        const bool whole = bitCount_ == kFrameBits || bitCount_ == 2 * kFrameBits ||
                           (!aligned_ && bitCount_ > kFrameBits);
        bitCount_ = 0;
        aligned_ = true;
        if (whole) {
            frame_.bits = window_;
            FrameComplete();
        }
    }
}

void LtcDecoder::FrameComplete() {
    if (!frame_.InRange()) {
        ++framesDropped_;
        lastFrameNumber_ = -1;  // what follows proves no rate
        return;
    }
    const int number = frame_.FrameNumber();
    if (number == 0 && lastFrameNumber_ >= 0) {
        const int rate = lastFrameNumber_ + 1;
        const bool confirmed = IsRate(rate) && rate == rateCandidate_;
        rateCandidate_ = rate;
        if (confirmed && rate != frameRate_) {
            frameRate_ = rate;
            rateChanged_ = true;
        }
    }
    lastFrameNumber_ = number;
    if (count_ == kQueueSize) {
        ++framesLost_;
        return;
    }
    LtcFrame& slot = queue_[(readPos_ + count_) % kQueueSize];
    slot = frame_;
    slot.endSample = sampleIndex_ + 1;
    slot.rate = frameRate_;
    ++count_;
}

}  // namespace tamberline
