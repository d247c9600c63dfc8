#pragma once

#include <cstdint>
#include <vector>

namespace tamberline::testing {

// The quarter-frame data bytes a timecode source sends: eight pieces per
// two frames, each run carrying the time of its first frame.
class MtcSender {
public:
    MtcSender(int rateCode, int hours, int minutes, int seconds, int frames)
        : rateCode_(rateCode), frame_(Count(hours, minutes, seconds, frames)) {}

    // The data bytes of the next `runs` runs of eight quarter frames.
    std::vector<uint8_t> Runs(int runs) {
        std::vector<uint8_t> data;
        for (int r = 0; r < runs; ++r) {
            const int day = 86400 * Rate();
            const int f = frame_ % day;
            const int frames = f % Rate();
            const int second = f / Rate();
            const int values[8] = {frames & 0xF,
                                   frames >> 4,
                                   (second % 60) & 0xF,
                                   (second % 60) >> 4,
                                   (second / 60 % 60) & 0xF,
                                   (second / 60 % 60) >> 4,
                                   (second / 3600) & 0xF,
                                   ((second / 3600) >> 4) | (rateCode_ << 1)};
            for (int piece = 0; piece < 8; ++piece) {
                data.push_back(static_cast<uint8_t>(piece << 4 | values[piece]));
            }
            frame_ = (frame_ + 2) % day;
        }
        return data;
    }
    void JumpTo(int hours, int minutes, int seconds, int frames) {
        frame_ = Count(hours, minutes, seconds, frames);
    }
    int Rate() const { return rateCode_ == 0 ? 24 : rateCode_ == 1 ? 25 : 30; }
    int Count(int hours, int minutes, int seconds, int frames) const {
        return frames + Rate() * (seconds + 60 * minutes + 3600 * hours);
    }

private:
    int rateCode_;
    int frame_;
};

}  // namespace tamberline::testing
