#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "songlist/wav_segments.h"

namespace tamberline {

// Texts of the "labl" or "note" chunks by cue point id, as stored.
using CueTexts = std::map<uint32_t, std::string>;

// Samples as whole hundredths of a second; 0 for a rate of 0.
uint64_t SamplesToHundredths(uint64_t samples, uint32_t sampleRate);
// "%02d:%02d:%02d.%02d": hours, minutes, seconds, hundredths.
std::string FormatHundredths(uint64_t hundredths);

// One row per segment, then, when the segments play for a non-zero time in
// all (length x plays), a last row with only that total as its duration.
std::vector<WavReportRow> WavReportRows(const WavSegmentTable& table, uint32_t sampleRate,
                                        const CueTexts& labels, const CueTexts& notes);

}  // namespace tamberline
