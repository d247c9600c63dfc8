#pragma once

#include <string>
#include <string_view>

namespace tamberline {

// Path pieces. Both separators count, because playlists and sessions
// written on Windows carry backslashes.

// The text after the last separator (the whole text when there is none).
std::string FileNamePart(std::string_view path);
// The text up to and including the last separator (empty when there is none).
std::string FolderPart(std::string_view path);
// The text before the last "." of the file name; a "." inside a folder
// name is not an extension.
std::string StripExtension(std::string_view path);

inline bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}

// Two separators first: a path to a share on some computer ("\\host\share"
// or "//host/share").
bool IsNetworkPath(std::string_view path);

}  // namespace tamberline
