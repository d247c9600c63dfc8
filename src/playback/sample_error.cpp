#include <QFileInfo>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "playback/button_runner.h"

namespace tamberline {

std::string FailedStartText(const std::string& path, int code) {
    const std::string name = FileNamePart(path) + "\n";
    switch (code) {
        case kEngineCannotPlay:
            return name + "ASIO cannot play this file.\nClear all references to it ?";
        case kGraphCannotPlay:
            return name + "DirectX cannot play this file.\nClear all references to it ?";
        case kZeroSizeFile: return name + "File is zero size.\nClear all references to it ?";
        default: return name + "Cannot find this file.\n";
    }
}

FailedStartAnswer AskAboutFailedStart(MessageBox& box, const std::string& path, int code) {
    const bool missing = code == kFileMissing;
    const unsigned flags = missing ? mb::kClearFindIgnore | mb::kIconStop | mb::kDefault3
                                   : mb::kYesNo | mb::kIconStop | mb::kDefault2;
    const int answer = box.Show(FailedStartText(path, code), flags);
    if (answer == kResultYes) {
        return FailedStartAnswer::kClearReferences;
    }
    return missing && answer == kResultNo ? FailedStartAnswer::kFind : FailedStartAnswer::kIgnore;
}

void ReportSampleError(MessageBox& box, const std::string& path, int kind) {
    if (kind >= 1 && kind <= 4) {
        const QFileInfo info(QString::fromStdString(path));
        if (!info.exists()) {
            kind = kFileMissing;
        } else if (info.size() == 0) {
            kind = kZeroSizeFile;
        }
    }
    std::string text;
    switch (kind) {
        case kEngineCannotPlay: text = "ASIO cannot play this file.\n"; break;
        case kGraphCannotPlay: text = "DirectX cannot play this file.\n"; break;
        case kZeroSizeFile: text = "File size is zero.\n"; break;
        case kFileMissing: text = "Cannot find file.\n"; break;
        default:
            box.Show("Unable to find the files in\n" + FileNamePart(path), mb::kOk | mb::kIconStop);
            return;
    }
    box.Show(FileNamePart(path) + "\n" + text, mb::kOk | mb::kIconStop);
}

}  // namespace tamberline
