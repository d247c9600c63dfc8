#include "base/path_parts.h"

namespace tamberline {
namespace {

size_t LastSeparator(std::string_view path) {
    return path.find_last_of("/\\");
}

}  // namespace

std::string FileNamePart(std::string_view path) {
    const size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string FolderPart(std::string_view path) {
    const size_t sep = LastSeparator(path);
    return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string StripExtension(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t sep = LastSeparator(path);
    if (dot == std::string_view::npos || (sep != std::string_view::npos && dot < sep)) {
        return std::string(path);
    }
    return std::string(path.substr(0, dot));
}

bool IsNetworkPath(std::string_view path) {
    return path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

}  // namespace tamberline
