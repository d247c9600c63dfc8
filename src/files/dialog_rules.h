#pragma once

#include <string>

namespace tamberline {

class MessageBox;

// Rules of the program's file dialog that need no window.

// Save mode: the pattern's extension is appended unless the name already
// ends in it (ignoring case).
std::string WithDefaultExtension(const std::string& name, const std::string& pattern);
// An existing file is only replaced when the operator says so; a
// read-only one is reported first.
bool ConfirmReplace(MessageBox& box, const std::string& folder, const std::string& name);

// Names that the playlist-only open mode accepts.
bool IsPlaylistName(const std::string& name);

// True when the session file at `path` has a sample path with a folder
// separator after its first character.
bool SessionHasFolderStructure(const std::string& path);

// Why `name` cannot name an entry of a folder (it holds "/" or is "." or
// "..", so it would lead elsewhere), or empty when it can.
std::string NameRefusal(const std::string& name);

// A path the 260-byte path fields cannot hold whole.
bool IsTooLongForPathField(const std::string& path);
std::string TooLongMessage(const std::string& path);

}  // namespace tamberline
