#pragma once

#include <string>
#include <vector>

#include "songlist/byte_source.h"
#include "songlist/wav_segments.h"

namespace tamberline {

// Reads the play list of a WAV file: the "plst" entries (cue id, length,
// plays) placed by the "cue " points, and the "data" chunk's place. True
// when the file holds "fmt ", a "plst" with at least one segment whose cue
// point exists, "cue " and "data"; otherwise `table` is left empty.
// `format` and `*moreThanTwoChannels` are filled whenever "fmt " could be
// read, even when the result is false. With `report`, one row per segment
// and a total row are added (labels and notes from the "LIST" "adtl"
// chunk). Segments are kept inside the audio data of PCM and float files;
// a segment whose cue point is missing is left out.
bool ReadWavPlaylist(const std::string& path, WavSegmentTable& table, WaveFormat& format,
                     std::vector<WavReportRow>* report = nullptr,
                     bool* moreThanTwoChannels = nullptr);
bool ReadWavPlaylist(const ByteSource& source, WavSegmentTable& table, WaveFormat& format,
                     std::vector<WavReportRow>* report = nullptr,
                     bool* moreThanTwoChannels = nullptr);

}  // namespace tamberline
