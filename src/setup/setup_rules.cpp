#include "setup/setup_rules.h"

#include <algorithm>
#include <cctype>

#include "base/path_parts.h"
#include "session/registry.h"
#include "session/settings.h"

namespace tamberline {

namespace {

constexpr uint32_t kFramesPerDay = 24u * 3600u * 30u;  // 2,592,000
constexpr uint32_t kClearedColour = 0xC0C0C0;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<int> OtherButtons(const RecordArray& records, int self, auto matches) {
    std::vector<int> buttons;
    for (int k = 0; k < kButtonCount; ++k) {
        const ButtonRecord& record = records[static_cast<size_t>(k)];
        if (k != self && IsAssigned(record) && matches(record)) {
            buttons.push_back(k);
        }
    }
    return buttons;
}

}  // namespace

uint8_t FlagsFromBoxes(const FlagBoxes& boxes) {
    uint8_t flags = 0;
    flags |= boxes.stopAll ? kFlagStopAll : 0;
    flags |= boxes.stopGroup1 ? kFlagStopGroup1 : 0;
    flags |= boxes.stopGroup2 ? kFlagStopGroup2 : 0;
    flags |= boxes.stopGroup3 ? kFlagStopGroup3 : 0;
    flags |= boxes.buzzersAndBells ? kFlagBuzzersAndBells : 0;
    flags |= boxes.pause ? kFlagPause : 0;
    flags |= boxes.playWhileTriggered ? kFlagPlayWhileTriggered : 0;
    return flags;
}

FlagBoxes BoxesFromFlags(uint8_t flags) {
    FlagBoxes boxes;
    boxes.stopAll = (flags & kFlagStopAll) != 0;
    boxes.stopGroup1 = (flags & kFlagStopGroup1) != 0;
    boxes.stopGroup2 = (flags & kFlagStopGroup2) != 0;
    boxes.stopGroup3 = (flags & kFlagStopGroup3) != 0;
    boxes.buzzersAndBells = (flags & kFlagBuzzersAndBells) != 0;
    boxes.pause = (flags & kFlagPause) != 0;
    boxes.playWhileTriggered = (flags & kFlagPlayWhileTriggered) != 0;
    return boxes;
}

uint16_t LimitFade(long value, uint16_t otherFade, uint32_t durationMs, bool loop) {
    long limited = std::max(value, 0L);
    if (!loop && limited != 0) {
        const long room = static_cast<long>(durationMs / 100) - otherFade - 5;
        limited = std::min(limited, std::max(room, 0L));
    }
    return static_cast<uint16_t>(std::min(limited, static_cast<long>(kMaxFade)));
}

uint32_t RescaleDuration(uint32_t durationMs, int from, int to) {
    if (from <= 0 || to <= 0) {
        return durationMs;
    }
    const uint64_t atNormal = static_cast<uint64_t>(durationMs) * static_cast<uint64_t>(from) / 100;
    const uint64_t scaled = atNormal * 100 / static_cast<uint64_t>(to);
    return static_cast<uint32_t>(std::min<uint64_t>(scaled, UINT32_MAX));
}

bool ParseStartTimeEntry(std::string_view text, uint32_t& frames) {
    uint32_t pairs[4] = {0, 0, 0, 0};
    int digits = 0;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        if (!std::isdigit(static_cast<unsigned char>(*it))) {
            continue;
        }
        if (digits < 8) {
            const uint32_t digit = static_cast<uint32_t>(*it - '0');
            pairs[digits / 2] += digits % 2 == 0 ? digit : digit * 10;
        }
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    const uint32_t seconds = pairs[1] + pairs[2] * 60 + pairs[3] * 3600;
    frames = (pairs[0] + seconds * 30) % kFramesPerDay;
    return true;
}

std::string CutOnCharacter(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return std::string(text);
    }
    size_t end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to where a character begins.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end));
}

std::string CaptionForRecord(std::string_view boxText, std::string_view samplePath) {
    size_t first = 0;
    size_t last = boxText.size();
    while (first < last && IsBlank(boxText[first])) {
        ++first;
    }
    while (last > first && IsBlank(boxText[last - 1])) {
        --last;
    }
    std::string caption;
    for (char c : boxText.substr(first, last - first)) {
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            caption += '\r';
        }
        caption += c;
    }
    if (caption.empty()) {
        caption = FileNamePart(StripExtension(samplePath));
    }
    caption = CutOnCharacter(caption, kMaxCaptionBytes);
    // A line break cut in two would leave a lone CR.
    if (!caption.empty() && caption.back() == '\r') {
        caption.pop_back();
    }
    return caption;
}

std::string CaptionForBox(std::string_view caption) {
    std::string text;
    for (char c : caption) {
        if (c != '\r') {
            text += c;
        }
    }
    return text;
}

bool PathFitsRecord(std::string_view path) {
    return path.size() < kPathSize;
}

ButtonRecord ClearedRecord(const Registry& registry, int outputRows) {
    ButtonRecord record{};
    const uint32_t output = registry.Dword(settings::kButtonOutput);
    record.output = static_cast<uint8_t>(output < static_cast<uint32_t>(outputRows) ? output : 0);
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    record.colour = kClearedColour;
    return record;
}

bool IsValidSearchTerm(std::string_view term) {
    return std::all_of(term.begin(), term.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '.' ||
               (static_cast<unsigned char>(c) & 0x80) != 0;  // letters beyond ASCII
    });
}

std::vector<int> ButtonsOnNote(const RecordArray& records, int self, int note, int channel) {
    if (note == 0) {
        return {};
    }
    return OtherButtons(records, self, [note, channel](const ButtonRecord& r) {
        return r.midiNote == note && (channel == 0 || r.midiChannel == channel);
    });
}

std::vector<int> ButtonsOnKey(const RecordArray& records, int self, int key) {
    if (key == 0) {
        return {};
    }
    return OtherButtons(records, self,
                        [key](const ButtonRecord& r) { return r.triggerKey == key; });
}

std::vector<int> ButtonsOnGameTrigger(const RecordArray& records, int self, int trigger) {
    if (trigger == 0) {
        return {};
    }
    return OtherButtons(records, self,
                        [trigger](const ButtonRecord& r) { return r.gameTrigger == trigger; });
}

std::string ButtonNumberList(const std::vector<int>& buttons) {
    std::string list;
    for (int button : buttons) {
        list += std::to_string(button + 1) + " ";
    }
    return list;
}

}  // namespace tamberline
