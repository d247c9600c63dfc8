#pragma once

#include <string>

class QListWidget;
class QListWidgetItem;

namespace tamberline {

class FileMonitors;

// Lists the files of `folder` that match `pattern` into `list`, in natural
// order, each item showing its name and keeping the name's bytes, and moves
// the folder monitor to the folder. Window events are handled while the
// folder is read; `listing` is set meanwhile, and a listing asked for while
// it is set does nothing.
void ListFolderInto(QListWidget& list, FileMonitors& monitors, const std::string& folder,
                    const std::string& pattern, bool& listing);

// The file name an item of such a list stands for.
std::string ListedName(const QListWidgetItem& item);

}  // namespace tamberline
