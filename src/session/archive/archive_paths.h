#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamberline {

// Paths as an archive keeps them: relative to the folder of the session it
// was written from, a backslash first and backslashes between folders, so
// an archive reads the same on every system.

// `path` relative to `folder` (which ends in '/'), or empty when the path
// does not lie inside it. Both are taken lexically ("a/../b" is "b").
std::string RelativeInside(const std::string& folder, const std::string& path);

// What a record of an archive stores for a sample: a backslash, the
// relative folder of the sample (empty when it lies outside the session's
// folder) in backslashes, then the name of its copy.
std::string ArchiveStoredPath(const std::string& relativeFolder, const std::string& copyName);

// The relative path under which Read Archive with "Preserve folder
// structure" places an entry stored as `stored`, with '/' separators: a
// path that names a drive ("D:\...") gives its file name only, and empty,
// "." and ".." components are dropped, so nothing can climb out of the
// new session's folder. Empty when nothing usable is left.
std::string SafeRelativePath(std::string_view stored);

// A name an archive entry may have: not empty, not "." nor "..".
bool IsUsableFileName(std::string_view name);

// The " %X" name of a clash: the time stamp in hexadecimal put before the
// extension ("intro.wav" -> "intro 5F5E1000.wav"). `round` 2, 3, ... adds
// " (2)", " (3)" after it for the rare name that is taken as well.
std::string ClashName(const std::string& path, uint32_t stamp, int round = 1);

}  // namespace tamberline
