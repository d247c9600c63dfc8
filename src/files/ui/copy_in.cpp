#include "files/ui/copy_in.h"

#include "files/file_copier.h"
#include "files/file_monitors.h"

namespace tamberline {

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
