#include "session/archive/archive_paths.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "base/path_parts.h"

namespace tamberline {

namespace {

bool HasDriveLetter(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 &&
           path[1] == ':';
}

}  // namespace

std::string RelativeInside(const std::string& folder, const std::string& path) {
    namespace fs = std::filesystem;
    const std::string base = fs::path(folder).lexically_normal().string();
    const std::string full = fs::path(path).lexically_normal().string();
    if (base.empty() || base.back() != '/' || full.size() <= base.size() ||
        full.compare(0, base.size(), base) != 0) {
        return {};
    }
    return full.substr(base.size());
}

std::string ArchiveStoredPath(const std::string& relativeFolder, const std::string& copyName) {
    std::string stored = "\\";
    for (const char c : relativeFolder) {
        stored += c == '/' ? '\\' : c;
    }
    if (stored.size() > 1 && stored.back() != '\\') {
        stored += '\\';
    }
    return stored + copyName;
}

std::string SafeRelativePath(std::string_view stored) {
    if (HasDriveLetter(stored)) {
        const std::string name = FileNamePart(stored);
        return IsUsableFileName(name) ? name : std::string();
    }
    std::string safe;
    size_t start = 0;
    while (start <= stored.size()) {
        size_t end = start;
        while (end < stored.size() && !IsPathSeparator(stored[end])) {
            ++end;
        }
        const std::string_view part = stored.substr(start, end - start);
        if (IsUsableFileName(part)) {
            if (!safe.empty()) {
                safe += '/';
            }
            safe += part;
        }
        start = end + 1;
    }
    return safe;
}

bool IsUsableFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string ClashName(const std::string& path, uint32_t stamp, int round) {
    const std::string stem = StripExtension(path);
    const std::string extension = path.substr(stem.size());
    char suffix[32];
    if (round <= 1) {
        std::snprintf(suffix, sizeof suffix, " %X", stamp);
    } else {
        std::snprintf(suffix, sizeof suffix, " %X (%d)", stamp, round);
    }
    return stem + suffix + extension;
}

}  // namespace tamberline
