#include "files/ui/copy_in.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include "base/message_box.h"
#include "files/file_copier.h"
#include "files/file_monitors.h"
#include "session/disk_file.h"

namespace tamberline {

void CopyFilesInto(QWidget* owner, FileCopier& copier, FileMonitors& monitors, MessageBox& box,
                   const std::vector<std::string>& files, const std::string& folder) {
    if (folder.empty() || files.empty()) {
        return;
    }
    QProgressDialog progress(QStringLiteral("Copying files"), QStringLiteral("Cancel"), 0,
                             static_cast<int>(files.size()), owner);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    monitors.SetCopyInProgress(true);
    const std::vector<CopyFailure> failures =
        copier.Copy(files, folder, [&progress](size_t done, size_t /*total*/) {
            progress.setValue(static_cast<int>(done));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
    monitors.SetCopyInProgress(false);
    if (!failures.empty()) {
        box.Show(SystemErrorReport(failures.front().path, failures.front().error),
                 mb::kOk | mb::kIconStop);
    }
}

}  // namespace tamberline
