#include "triggers/timecode/ltc_decoder.h"

namespace tamberline {

namespace {

constexpr uint16_t kSyncWord = 0x3FFD;
constexpr uint32_t kFrameBits = 80;
constexpr int kMaxFrameNumber = 30;

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
    bitPeriod_ = kSampleRate / frameRate / static_cast<int>(kFrameBits);
    periodLimit_ = bitPeriod_ * 14 >> 4;
    minimum_ = 0;
    maximum_ = 0;
    sync_ = 0;
    bitCount_ = 0;
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

// Envelope trackers decay towards the centre by 1/16 a sample and jump to
// each new peak; the thresholds sit half-way between centre and peak.
void LtcDecoder::Level(int s) {
    minimum_ = 128 - (((128 - minimum_) * 15) >> 4);
    maximum_ = 128 + (((maximum_ - 128) * 15) >> 4);
    if (s < minimum_) {
        minimum_ = s;
    }
    if (s > maximum_) {
        maximum_ = s;
    }
    const int32_t low = 128 - (((128 - minimum_) * 8) >> 4);
    const int32_t high = 128 + (((maximum_ - 128) * 8) >> 4);
    if ((levelState_ == 1 && s > high) || (levelState_ == 0 && s < low)) {
        if (sampleCount_ > periodLimit_) {
            Emit(levelState_);
            Emit(levelState_);
        } else {
            Emit(levelState_);
            sampleCount_ *= 2;
        }
        bitPeriod_ = (sampleCount_ + bitPeriod_ * 3) >> 2;
        sampleCount_ = 0;
        periodLimit_ = bitPeriod_ * 14 >> 4;
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
    if (bitCount_ == 0) {
        frame_.bits = {};
    }
    sync_ = static_cast<uint16_t>((sync_ << 1) | bit);
    if (bit == 1 && bitCount_ < kFrameBits) {
        frame_.bits[bitCount_ / 32] |= 1U << (bitCount_ % 32);
    }
    ++bitCount_;
    if (sync_ == kSyncWord) {
        const bool whole = bitCount_ == kFrameBits;
        bitCount_ = 0;
        if (whole) {
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
