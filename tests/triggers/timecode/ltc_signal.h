#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamberline::testing {

// LTC written by libltc's encoder, unsigned 8-bit mono at 22050 per second.
struct LtcSignal {
    double fps = 25;  // 29.97 writes 30 frames a second marked drop-frame
    int hours = 1, minutes = 0, seconds = 0, frame = 0;
    int frames = 50;     // frames written; one more follows, since a frame
                         // decodes only when something comes after it
    double dbfs = -3.0;  // the encoder's level
    bool inverted = false;
};

std::vector<uint8_t> EncodeLtc(const LtcSignal& signal);
// Adds white noise of the given peak (in sample steps), clipped to 0..255.
void AddNoise(std::vector<uint8_t>& samples, int peak, uint32_t seed);
// Seconds of day and frame of every frame libltc's own decoder reads.
struct ReadFrame {
    int secondOfDay = 0;
    int frame = 0;
};
std::vector<ReadFrame> DecodeWithLibltc(const std::vector<uint8_t>& samples, double fps);
// Of the frames read, how many distinct ones were written (at a whole rate)
// and how many are something never written.
struct ReadCount {
    size_t read = 0;
    size_t misread = 0;
};
ReadCount CountRead(const std::vector<ReadFrame>& frames, const LtcSignal& signal);

}  // namespace tamberline::testing
