#include "songlist/wav_playlist.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "songlist/wav_report.h"

namespace tamberline {
namespace {

// Bounds on what a file may make us read or keep, whatever its chunk sizes
// say. Real play lists hold tens of entries and a handful of chunks.
constexpr uint32_t kMaxEntries = 65536;
constexpr int kMaxChunks = 1024;
constexpr size_t kMaxListBytes = 4u << 20;
// At most this much of a "labl" or "note" chunk is read: id and text.
constexpr size_t kMaxCueTextChunk = 260;

constexpr size_t kPlstEntryBytes = 12;
constexpr size_t kCuePointBytes = 24;

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool IdIs(const unsigned char* p, const char (&id)[5]) {
    return std::memcmp(p, id, 4) == 0;
}

struct Chunk {
    bool found = false;
    uint64_t body = 0;       // file offset of the chunk's first byte after its header
    uint64_t size = 0;       // as declared
    uint64_t available = 0;  // what the file holds of it
};

struct RiffLayout {
    Chunk fmt;
    Chunk plst;
    Chunk cue;
    Chunk data;
    std::vector<Chunk> lists;
};

// Walks the top-level chunks of the RIFF "WAVE" form, noting the first of
// each kind. Sizes are trusted only as far as the file reaches.
bool ReadLayout(const ByteSource& source, RiffLayout& layout) {
    unsigned char header[12];
    if (!source.ReadAt(0, header, sizeof(header)) || !IdIs(header, "RIFF") ||
        !IdIs(header + 8, "WAVE")) {
        return false;
    }
    const uint64_t formEnd = std::min<uint64_t>(source.Size(), 8ull + Le32(header + 4));
    uint64_t pos = sizeof(header);
    for (int count = 0; count < kMaxChunks && pos + 8 <= formEnd; ++count) {
        unsigned char chunkHeader[8];
        if (!source.ReadAt(pos, chunkHeader, sizeof(chunkHeader))) {
            break;
        }
        Chunk chunk;
        chunk.found = true;
        chunk.body = pos + 8;
        chunk.size = Le32(chunkHeader + 4);
        chunk.available = std::min(chunk.size, formEnd - chunk.body);
        for (auto [id, slot] : {std::pair{"fmt ", &layout.fmt}, std::pair{"plst", &layout.plst},
                                std::pair{"cue ", &layout.cue}, std::pair{"data", &layout.data}}) {
            if (std::memcmp(chunkHeader, id, 4) == 0 && !slot->found) {
                *slot = chunk;
            }
        }
        if (IdIs(chunkHeader, "LIST")) {
            layout.lists.push_back(chunk);
        }
        // Chunks are word aligned: an odd size is followed by a pad byte.
        pos = chunk.body + chunk.size + (chunk.size & 1);
    }
    return true;
}

bool ReadFormat(const ByteSource& source, const Chunk& fmt, WaveFormat& format) {
    unsigned char bytes[18] = {};
    if (!fmt.found || fmt.available < 16 ||
        !source.ReadAt(fmt.body, bytes, std::min<uint64_t>(fmt.available, sizeof(bytes)))) {
        return false;
    }
    format.formatTag = Le16(bytes);
    format.channels = Le16(bytes + 2);
    format.samplesPerSec = Le32(bytes + 4);
    format.avgBytesPerSec = Le32(bytes + 8);
    format.blockAlign = Le16(bytes + 12);
    format.bitsPerSample = Le16(bytes + 14);
    format.extraSize = Le16(bytes + 16);
    return true;
}

// A 32-bit count followed by that many records of `recordBytes`; false when
// the chunk does not hold them all.
bool ReadCountedRecords(const ByteSource& source, const Chunk& chunk, size_t recordBytes,
                        std::vector<unsigned char>& records, uint32_t& count) {
    unsigned char countBytes[4];
    if (!chunk.found || chunk.available < 4 || !source.ReadAt(chunk.body, countBytes, 4)) {
        return false;
    }
    count = Le32(countBytes);
    if (count > kMaxEntries || 4 + uint64_t{count} * recordBytes > chunk.available) {
        return false;
    }
    records.resize(count * recordBytes);
    return source.ReadAt(chunk.body + 4, records.data(), records.size());
}

bool KeepsFrames(const WaveFormat& format) {
    return format.blockAlign > 0 &&
           (format.formatTag == 1 || format.formatTag == 3 || format.formatTag == 0xFFFE);
}

bool BuildSegments(const ByteSource& source, const RiffLayout& layout, const WaveFormat& format,
                   WavSegmentTable& table) {
    std::vector<unsigned char> plst;
    std::vector<unsigned char> cue;
    uint32_t plstCount = 0;
    uint32_t cueCount = 0;
    if (!ReadCountedRecords(source, layout.plst, kPlstEntryBytes, plst, plstCount) ||
        !ReadCountedRecords(source, layout.cue, kCuePointBytes, cue, cueCount) ||
        !layout.data.found || layout.data.body > std::numeric_limits<uint32_t>::max()) {
        return false;
    }
    // Sample offset of each cue point id; the first point of an id counts.
    std::unordered_map<uint32_t, uint32_t> cueStart;
    for (uint32_t i = 0; i < cueCount; ++i) {
        const unsigned char* point = cue.data() + i * kCuePointBytes;
        cueStart.emplace(Le32(point), Le32(point + 20));
    }
    table.dataOffset = static_cast<uint32_t>(layout.data.body);
    // A truncated recording keeps what it has; nothing past the file's end
    // is ever handed to the engine.
    table.dataSize = static_cast<uint32_t>(layout.data.available);
    const uint32_t frames = KeepsFrames(format) ? table.dataSize / format.blockAlign
                                                : std::numeric_limits<uint32_t>::max();
    for (uint32_t i = 0; i < plstCount; ++i) {
        const unsigned char* entry = plst.data() + i * kPlstEntryBytes;
        const auto start = cueStart.find(Le32(entry));
        if (start == cueStart.end()) {
            continue;
        }
        WavSegment segment;
        segment.cueId = Le32(entry);
        segment.start = std::min(start->second, frames);
        const uint64_t end = uint64_t{segment.start} + Le32(entry + 4);
        segment.end = static_cast<uint32_t>(std::min<uint64_t>(end, frames));
        segment.loopCount = Le32(entry + 8);
        table.segments.push_back(segment);
    }
    return !table.segments.empty();
}

// "labl" and "note" texts of the "adtl" lists for the segments' cue points.
void ReadCueTexts(const ByteSource& source, const RiffLayout& layout,
                  const std::vector<WavSegment>& segments, CueTexts& labels, CueTexts& notes) {
    std::unordered_set<uint32_t> wanted;
    for (const WavSegment& segment : segments) {
        wanted.insert(segment.cueId);
    }
    std::string list;
    for (const Chunk& chunk : layout.lists) {
        char type[4];
        if (chunk.available < 4 || !source.ReadAt(chunk.body, type, 4) ||
            std::memcmp(type, "adtl", 4) != 0) {
            continue;
        }
        list.resize(static_cast<size_t>(std::min<uint64_t>(chunk.available, kMaxListBytes)));
        if (!source.ReadAt(chunk.body, list.data(), list.size())) {
            continue;
        }
        size_t pos = 4;
        while (pos + 8 <= list.size()) {
            const auto* header = reinterpret_cast<const unsigned char*>(list.data() + pos);
            const uint64_t size = Le32(header + 4);
            const size_t body = pos + 8;
            const size_t readable = static_cast<size_t>(
                std::min<uint64_t>({size, kMaxCueTextChunk, list.size() - body}));
            CueTexts* texts = IdIs(header, "labl")   ? &labels
                              : IdIs(header, "note") ? &notes
                                                     : nullptr;
            if (texts != nullptr && readable >= 4 && wanted.count(Le32(header + 8)) != 0) {
                std::string text = list.substr(body + 4, readable - 4);
                text.resize(std::min(text.size(), text.find('\0')));
                texts->emplace(Le32(header + 8), std::move(text));
            }
            const uint64_t next = body + size + (size & 1);
            if (next >= list.size()) {
                break;
            }
            pos = static_cast<size_t>(next);
        }
    }
}

}  // namespace

bool ReadWavPlaylist(const ByteSource& source, WavSegmentTable& table, WaveFormat& format,
                     std::vector<WavReportRow>* report, bool* moreThanTwoChannels) {
    table = WavSegmentTable{};
    format = WaveFormat{};
    if (moreThanTwoChannels != nullptr) {
        *moreThanTwoChannels = false;
    }
    RiffLayout layout;
    if (!ReadLayout(source, layout) || !ReadFormat(source, layout.fmt, format)) {
        return false;
    }
    if (moreThanTwoChannels != nullptr) {
        *moreThanTwoChannels = format.channels > 2;
    }
    WavSegmentTable read;
    read.fileSize = static_cast<int64_t>(source.Size());
    if (!BuildSegments(source, layout, format, read)) {
        return false;
    }
    table = std::move(read);
    if (report != nullptr) {
        CueTexts labels;
        CueTexts notes;
        ReadCueTexts(source, layout, table.segments, labels, notes);
        std::vector<WavReportRow> rows = WavReportRows(table, format.samplesPerSec, labels, notes);
        report->insert(report->end(), rows.begin(), rows.end());
    }
    return true;
}

bool ReadWavPlaylist(const std::string& path, WavSegmentTable& table, WaveFormat& format,
                     std::vector<WavReportRow>* report, bool* moreThanTwoChannels) {
    return ReadWavPlaylist(FileByteSource(path), table, format, report, moreThanTwoChannels);
}

}  // namespace tamberline
