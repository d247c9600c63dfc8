#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberline {

// The first 18 bytes of a WAV file's "fmt " chunk (WAVEFORMATEX).
struct WaveFormat {
    uint16_t formatTag = 0;  // 1 PCM, 3 IEEE float, 0xFFFE extensible
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;  // 0 when the chunk holds only 16 bytes
};

// One part of a WAV file's play list, in sample frames.
struct WavSegment {
    uint32_t start = 0;
    uint32_t end = 0;        // start + length
    uint32_t counter = 0;    // times played, kept by the playback engine
    uint32_t loopCount = 0;  // number of plays; 0 plays until stopped
    uint32_t cueId = 0;      // the cue point it starts at

    bool operator==(const WavSegment&) const = default;
};

// A WAV file's play list ("plst" over "cue ") and where its audio lies.
struct WavSegmentTable {
    int32_t currentIndex = 0;
    std::vector<WavSegment> segments;
    uint32_t dataOffset = 0;  // file offset of the first audio byte
    uint32_t dataSize = 0;    // audio bytes, never past the end of the file
    int64_t fileSize = 0;

    int32_t SegmentCount() const { return static_cast<int32_t>(segments.size()); }
};

// One row of the play-list report: label, description, start, end,
// duration and repeat, as shown.
struct WavReportRow {
    std::string label;
    std::string note;
    std::string start;
    std::string end;
    std::string length;
    std::string plays;
};

}  // namespace tamberline
