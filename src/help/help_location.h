#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamberline {

class Registry;

// Where the installed pages are looked for, first match wins: beside the
// program (<prefix>/bin/../share/tamberline/help), then the freedesktop data
// folders (~/.local/share, /usr/local/share, /usr/share).
std::vector<std::string> InstalledHelpFolders();

// The help folder: the setting "HelpFile" when it is set, else the first of
// `installed` that holds the home page; empty when there is none.
std::string HelpFolder(const Registry& registry, const std::vector<std::string>& installed);

// A topic, optionally with "#anchor", as a file in `folder`; empty for a
// name that is not a plain file name (a topic never leaves the folder).
std::string TopicFile(const std::string& folder, std::string_view topic);

// The folder holds the home page, the contents, the index and the topic.
bool HelpPagesPresent(const std::string& folder, std::string_view topic);

}  // namespace tamberline
