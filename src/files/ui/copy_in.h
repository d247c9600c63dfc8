#pragma once

#include <functional>
#include <string>
#include <vector>

class QMimeData;

namespace tamberline {

class FileCopier;
class FileMonitors;

// The local files among what was dropped on a dialog, as paths.
std::vector<std::string> DroppedFiles(const QMimeData& dropped);

// Files dropped from the desktop onto a tool dialog: copied into `folder`
// by the copier, which asks, shows its progress and reports failures
// itself. The folder monitor stays quiet meanwhile; `fileCopied` runs after
// each file so the dialog can list the folder again.
void CopyFilesInto(FileCopier& copier, FileMonitors& monitors,
                   const std::vector<std::string>& files, const std::string& folder,
                   const std::function<void()>& fileCopied);

}  // namespace tamberline
