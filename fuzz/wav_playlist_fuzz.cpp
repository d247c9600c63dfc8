// WAV files: RIFF chunks, the play list and its report.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "songlist/wav_playlist.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tamberline::MemoryByteSource source(
        std::string_view(reinterpret_cast<const char*>(data), size));
    tamberline::WavSegmentTable table;
    tamberline::WaveFormat format;
    std::vector<tamberline::WavReportRow> report;
    bool moreThanTwoChannels = false;
    if (!tamberline::ReadWavPlaylist(source, table, format, &report, &moreThanTwoChannels)) {
        Check(table.segments.empty() && report.empty());
        return 0;
    }
    Check(uint64_t{table.dataOffset} + table.dataSize <= size);
    Check(table.fileSize == static_cast<int64_t>(size));
    Check(!table.segments.empty());
    Check(report.size() == table.segments.size() || report.size() == table.segments.size() + 1);
    for (const tamberline::WavSegment& segment : table.segments) {
        Check(segment.start <= segment.end && segment.counter == 0);
    }
    Check(moreThanTwoChannels == (format.channels > 2));
    return 0;
}
