#include "songlist/songlist_file.h"

#include <cstdio>
#include <span>

#include "session/disk_file.h"

namespace tamberline {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

}  // namespace

std::string SonglistBytes(const std::vector<std::string>& entries) {
    std::string bytes;
    for (const std::string& entry : entries) {
        bytes += entry;
        bytes += "\r\n";
    }
    return bytes;
}

int WriteSonglist(const std::string& path, const std::vector<std::string>& entries) {
    const std::string bytes = SonglistBytes(entries);
    return ReplaceFileAtomically(
        path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

std::string NewSonglistPath(const std::string& folder) {
    std::string path = folder + "Songlist.m3u";
    for (int number = 1; FileExists(path); ++number) {
        path = folder + "Songlist (" + std::to_string(number) + ").m3u";
    }
    return path;
}

bool SurvivesSonglist(const std::string& path) {
    if (path.empty() || IsBlank(path.front()) || IsBlank(path.back())) {
        return false;
    }
    return path.find_first_of("#\\\r\n") == std::string::npos &&
           path.find('\0') == std::string::npos;
}

std::string SonglistCaption(int64_t totalMs) {
    if (totalMs <= 0) {
        return "Song list.";
    }
    const int64_t s = totalMs / 1000;
    char text[64];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "Song list  %02lld:%02lld:%02lld",
                      static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
                      static_cast<long long>(s % 60));
    } else {
        std::snprintf(text, sizeof text, "Song list  %02lld:%02lld", static_cast<long long>(s / 60),
                      static_cast<long long>(s % 60));
    }
    return text;
}

}  // namespace tamberline
