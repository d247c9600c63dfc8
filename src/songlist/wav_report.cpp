#include "songlist/wav_report.h"

#include <cstdio>

namespace tamberline {
namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not one.
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t cp = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    const bool invalid = cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF);
    return overlong || invalid ? 0 : length;
}

// Labels written by Windows editors are in the ANSI code page, not UTF-8;
// shown as Latin-1 they stay readable instead of turning into garbage.
std::string DisplayText(const std::string& stored) {
    for (size_t i = 0; i < stored.size();) {
        const size_t length = Utf8SequenceLength(stored, i);
        if (length == 0) {
            std::string converted;
            for (char c : stored) {
                const auto byte = static_cast<unsigned char>(c);
                if (byte < 0x80) {
                    converted += c;
                } else {
                    converted += static_cast<char>(0xC0 | (byte >> 6));
                    converted += static_cast<char>(0x80 | (byte & 0x3F));
                }
            }
            return converted;
        }
        i += length;
    }
    return stored;
}

std::string TextOf(const CueTexts& texts, uint32_t cueId) {
    const auto text = texts.find(cueId);
    return text == texts.end() ? std::string() : DisplayText(text->second);
}

std::string Time(uint64_t samples, uint32_t sampleRate) {
    return FormatHundredths(SamplesToHundredths(samples, sampleRate));
}

std::string Plays(uint32_t loopCount) {
    char text[16];
    std::snprintf(text, sizeof(text), "x%u", loopCount);
    return text;
}

}  // namespace

uint64_t SamplesToHundredths(uint64_t samples, uint32_t sampleRate) {
    // Multiplying first keeps rates that are no multiple of 100 (22050)
    // exact and rates under 100 from dividing by zero.
    if (sampleRate == 0) {
        return 0;
    }
    return samples / sampleRate * 100 + samples % sampleRate * 100 / sampleRate;
}

std::string FormatHundredths(uint64_t hundredths) {
    char text[64];
    std::snprintf(text, sizeof(text), "%02llu:%02llu:%02llu.%02llu",
                  static_cast<unsigned long long>(hundredths / 360000),
                  static_cast<unsigned long long>(hundredths / 6000 % 60),
                  static_cast<unsigned long long>(hundredths / 100 % 60),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

std::vector<WavReportRow> WavReportRows(const WavSegmentTable& table, uint32_t sampleRate,
                                        const CueTexts& labels, const CueTexts& notes) {
    std::vector<WavReportRow> rows;
    uint64_t total = 0;
    for (const WavSegment& segment : table.segments) {
        const uint64_t length = segment.end - segment.start;
        total += length * segment.loopCount;
        rows.push_back({TextOf(labels, segment.cueId), TextOf(notes, segment.cueId),
                        Time(segment.start, sampleRate), Time(segment.end, sampleRate),
                        Time(length, sampleRate), Plays(segment.loopCount)});
    }
    if (total != 0) {
        WavReportRow last;
        last.length = Time(total, sampleRate);
        rows.push_back(std::move(last));
    }
    return rows;
}

}  // namespace tamberline
