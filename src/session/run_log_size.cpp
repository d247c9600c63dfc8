#include "session/run_log_size.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "base/path_parts.h"

namespace tamberline {

int64_t CountLines(const std::string& path, int64_t limit) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    std::vector<char> block(1 << 16);
    int64_t lines = 0;
    char last = '\n';
    while (lines < limit) {
        const qint64 got = file.read(block.data(), static_cast<qint64>(block.size()));
        if (got <= 0) {
            break;
        }
        const char* at = block.data();
        const char* end = at + got;
        while (lines < limit && (at = static_cast<const char*>(std::memchr(at, '\n', end - at)))) {
            ++lines;
            ++at;
        }
        last = block[static_cast<size_t>(got - 1)];
    }
    if (lines < limit && last != '\n') {
        ++lines;
    }
    return lines;
}

namespace {

bool SaveLogAway(RunLog& log, FileDialog& dialog, const LocalDateTime& today) {
    char name[64];
    std::snprintf(name, sizeof name, "%02d_%02d_%02d Tamberline_Logfile.txt", today.day,
                  today.month, today.year);
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kSave;
    request.title = "Save log file as.";
    request.okCaption = "Save";
    request.pattern = "*.txt";
    request.initialPath = FolderPart(log.Path()) + name;
    const FileDialogResult chosen = dialog.Run(request);
    if (!chosen.ok) {
        return false;
    }
    const QString target = QFileInfo(QString::fromStdString(chosen.Path())).absoluteFilePath();
    const QString current = QFileInfo(QString::fromStdString(log.Path())).absoluteFilePath();
    if (target == current) {
        return false;
    }
    // The save dialog has asked before an existing file is replaced.
    QFile::remove(target);
    QFile::rename(current, target);
    return true;
}

}  // namespace

bool CheckRunLogSize(RunLog& log, MessageBox& box, FileDialog& dialog, const LocalDateTime& today) {
    if (CountLines(log.Path(), kRunLogFullLines) < kRunLogFullLines) {
        return true;
    }
    switch (box.Show("Log file is now full.\n", mb::kSaveDeleteLogCancel | mb::kIconStop)) {
        case kResultYes: return SaveLogAway(log, dialog, today);
        case kResultNo:
            if (box.Show("Are you sure you want to delete the Log file ?\n",
                         mb::kYesNoCancel | mb::kIconQuestion) != kResultYes) {
                return false;
            }
            QFile::remove(QString::fromStdString(log.Path()));
            log.NoteLogDeleted();
            return true;
        default: return false;
    }
}

bool RunLogPart::Exit(ExitStep step) {
    return step != ExitStep::kRunLogCheck ||
           CheckRunLogSize(log_, box_, dialog_, LocalDateTime::Now());
}

}  // namespace tamberline
