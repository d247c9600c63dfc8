#include "files/ui/copy_in.h"

#include <QMimeData>
#include <QUrl>

#include "files/file_copier.h"
#include "files/file_monitors.h"
#include "files/path_text.h"

namespace tamberline {

std::vector<std::string> DroppedFiles(const QMimeData& dropped) {
    std::vector<std::string> files;
    for (const QUrl& url : dropped.urls()) {
        if (url.isLocalFile()) {
            files.push_back(ToBytes(url.toLocalFile()));
        }
    }
    return files;
}

void CopyFilesInto(FileCopier& copier, FileMonitors& monitors,
                   const std::vector<std::string>& files, const std::string& folder,
                   const std::function<void()>& fileCopied) {
    if (folder.empty() || files.empty()) {
        return;
    }
    monitors.SetCopyInProgress(true);
    copier.CopyInto(files, folder, fileCopied);
    monitors.SetCopyInProgress(false);
}

}  // namespace tamberline
