#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberline {

// What loading a file for the preview learns about it.
struct ProbedSample {
    int32_t durationMs = 0;  // at normal speed; a songlist's total
    bool multiChannel = false;
    bool hasSegments = false;
    bool canVarispeed = true;
    bool isSonglist = false;
    std::vector<std::string> entries;  // a songlist's entries that were found
    std::vector<int32_t> lengthsMs;    // their lengths
    bool entriesMissing = false;       // some entries of the songlist were not found
    int errorKind = 0;                 // on failure: the sample-error kind to report
};

// Loads a file for the preview on an output row, to learn what the record
// keeps of it. False when it cannot be played; `sample.errorKind` says why.
class SampleProbe {
public:
    virtual ~SampleProbe() = default;
    virtual bool Probe(const std::string& path, int output, ProbedSample& sample) = 0;
};

}  // namespace tamberline
