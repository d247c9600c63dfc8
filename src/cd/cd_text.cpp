#include "cd/cd_text.h"

#include <algorithm>
#include <cctype>

namespace tamberline {

std::vector<std::string> CdTextTitles(const uint8_t* data, size_t size, int lastTrack) {
    std::vector<std::string> titles(static_cast<size_t>(std::max(lastTrack, 0)));
    if (data == nullptr || size < 4 || lastTrack <= 0) {
        return titles;
    }
    const size_t declared = ((size_t{data[0]} << 8) | data[1]) + 2;
    const size_t end = std::min(size, declared);
    std::string text;
    for (size_t pos = 4; pos + 18 <= end; pos += 18) {
        const uint8_t* pack = data + pos;
        if ((pack[1] & 0x7f) > lastTrack) {
            break;
        }
        if (pack[0] != 0x80) {
            continue;
        }
        if (pack[3] & 0x80) {
            for (int i = 0; i < 6; ++i) {
                text.push_back(static_cast<char>(pack[4 + 2 * i + 1]));
            }
        } else {
            text.append(reinterpret_cast<const char*>(pack + 4), 12);
        }
    }
    // Zero-terminated strings: the album first, then tracks 1 to n.
    size_t start = 0;
    int index = -1;
    while (start < text.size() && index < lastTrack) {
        size_t nul = text.find('\0', start);
        if (nul == std::string::npos) {
            nul = text.size();
        }
        if (index >= 0) {
            titles[static_cast<size_t>(index)] = text.substr(start, nul - start);
        }
        ++index;
        start = nul + 1;
    }
    return titles;
}

std::string TrackFileName(const std::string& title, int track) {
    std::string name = title;
    if (name.size() >= 4) {
        std::string tail = name.substr(name.size() - 4);
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (tail == ".wav") {
            name.resize(name.size() - 4);
        }
    }
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
            c == '"' || c == '<' || c == '>' || c == '|') {
            c = '_';
        }
    }
    constexpr size_t kMaxBytes = 200;
    if (name.size() > kMaxBytes) {
        size_t cut = kMaxBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xc0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    const size_t first = name.find_first_not_of(" .");
    if (first == std::string::npos) {
        name.clear();
    } else {
        name = name.substr(first, name.find_last_not_of(" .") - first + 1);
    }
    if (name.empty()) {
        name = "Track " + std::to_string(track);
    }
    return name;
}

}  // namespace tamberline
