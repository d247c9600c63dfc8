#include "wav_builder.h"

namespace tamberline::testing {

std::string Le16(uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(uint32_t value) {
    return Le16(static_cast<uint16_t>(value & 0xFFFF)) + Le16(static_cast<uint16_t>(value >> 16));
}

std::string ChunkSized(std::string_view id, uint32_t declaredSize, std::string_view body) {
    std::string chunk(id);
    chunk += Le32(declaredSize);
    chunk += body;
    if (body.size() % 2 != 0) {
        chunk += '\0';
    }
    return chunk;
}

std::string Chunk(std::string_view id, std::string_view body) {
    return ChunkSized(id, static_cast<uint32_t>(body.size()), body);
}

std::string Riff(std::string_view chunks) {
    return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + std::string(chunks);
}

std::string FmtBody(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                    uint16_t bitsPerSample, bool withExtraSize) {
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
    std::string body = Le16(formatTag) + Le16(channels) + Le32(sampleRate) +
                       Le32(sampleRate * blockAlign) + Le16(blockAlign) + Le16(bitsPerSample);
    if (withExtraSize) {
        body += Le16(0);
    }
    return body;
}

std::string PlstBody(const std::vector<PlstEntry>& entries) {
    std::string body = Le32(static_cast<uint32_t>(entries.size()));
    for (const PlstEntry& e : entries) {
        body += Le32(e.cueId) + Le32(e.length) + Le32(e.plays);
    }
    return body;
}

std::string CueBody(const std::vector<CuePoint>& points) {
    std::string body = Le32(static_cast<uint32_t>(points.size()));
    for (const CuePoint& p : points) {
        // The position field stays 0: only the sample offset places a segment.
        body += Le32(p.id) + Le32(0) + "data" + Le32(0) + Le32(0) + Le32(p.sampleOffset);
    }
    return body;
}

std::string AdtlBody(const std::vector<CueText>& texts) {
    std::string body = "adtl";
    for (const CueText& t : texts) {
        body += Chunk(t.kind, Le32(t.id) + t.text + std::string(1, '\0'));
    }
    return body;
}

}  // namespace tamberline::testing
