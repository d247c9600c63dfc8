#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamberline::testing {

// Bytes of RIFF WAVE files for tests, chunk by chunk, so that broken files
// are as easy to write as good ones.
std::string Le16(uint16_t value);
std::string Le32(uint32_t value);

// A chunk with its header; the size written is the body's unless given.
// Odd bodies get their pad byte.
std::string Chunk(std::string_view id, std::string_view body);
std::string ChunkSized(std::string_view id, uint32_t declaredSize, std::string_view body);
// "RIFF", the size of what follows, "WAVE" and the chunks.
std::string Riff(std::string_view chunks);

// 18 bytes of format; with `withExtraSize` false the plain 16 of a PCM file.
std::string FmtBody(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                    uint16_t bitsPerSample, bool withExtraSize = true);

struct PlstEntry {
    uint32_t cueId;
    uint32_t length;
    uint32_t plays;
};
std::string PlstBody(const std::vector<PlstEntry>& entries);

struct CuePoint {
    uint32_t id;
    uint32_t sampleOffset;
};
std::string CueBody(const std::vector<CuePoint>& points);

// A "LIST" "adtl" body with a "labl" or "note" per (id, text).
struct CueText {
    std::string_view kind;  // "labl" or "note"
    uint32_t id;
    std::string text;
};
std::string AdtlBody(const std::vector<CueText>& texts);

}  // namespace tamberline::testing
