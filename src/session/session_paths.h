#pragma once

#include <string>
#include <string_view>

#include "base/path_parts.h"

namespace tamberline {

// The working copy lies beside the session: the session's path with its
// last three characters replaced by "tmp". Empty for a path too short.
std::string WorkingCopyPath(const std::string& sessionPath);

// A path whose working copy would be the path itself (it ends in "tmp"):
// the program cannot keep such a file as a session.
bool IsWorkingCopyName(const std::string& sessionPath);

// The path with every double quote removed (command lines and requests
// from a second start).
std::string WithoutQuotes(std::string_view path);

// A path the program does not load sessions from: a share path, or one on
// a remote file system (NFS, SMB, sshfs ...).
bool IsOnNetwork(const std::string& path);

// The file-system type of the mount holding `absolutePath`, looked up in
// the text of /proc/self/mountinfo (the longest mount point that holds it).
std::string MountTypeOf(std::string_view absolutePath, std::string_view mountInfo);
bool IsRemoteFileSystemType(std::string_view type);

// Where a new session is proposed when no session folder is known.
std::string DocumentsFolder();

}  // namespace tamberline
