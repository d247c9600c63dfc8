#include "files/ui/qt_file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <filesystem>

namespace tamberline {

namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& tail) {
    if (tail.size() > text.size()) {
        return false;
    }
    return std::equal(tail.rbegin(), tail.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

std::string WithDefaultExtension(const std::string& name, const std::string& pattern) {
    const std::string extension = pattern.empty() ? std::string() : pattern.substr(1);
    if (extension.empty() || extension == ".*" || EndsWithIgnoringCase(name, extension)) {
        return name;
    }
    return name + extension;
}

bool ConfirmReplace(MessageBox& box, const std::string& folder, const std::string& name) {
    const QFileInfo file(QString::fromStdString(folder + name));
    if (!file.exists()) {
        return true;
    }
    // Read-only is the file's own state: no write bit, whoever asks (root
    // may write it anyway, and the operator must still be told).
    constexpr QFile::Permissions kWriteBits =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if ((file.permissions() & kWriteBits) == 0 || !file.isWritable()) {
        box.Show(name + "\n\nFile already exists,\nand is set ReadOnly.", mb::kOk | mb::kIconStop);
    }
    return box.Show(name + "\n\nFile already exists.\nDo you want to replace it?",
                    mb::kYesNo | mb::kIconQuestion | mb::kDefault2) == kResultYes;
}

FileDialogResult QtFileDialog::Run(const FileDialogRequest& request) {
    QFileDialog dialog(owner_, QString::fromStdString(request.title),
                       QString::fromStdString(request.initialPath));
    dialog.setNameFilter(QString::fromStdString(request.pattern));
    dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(request.okCaption));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const bool save = request.mode == FileDialogRequest::Mode::kSave;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);

    FileDialogResult result;
    result.preserveFolderStructure = request.preserveFolderStructure;
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const std::filesystem::path chosen = dialog.selectedFiles().front().toStdString();
        std::string folder = chosen.parent_path().string();
        if (folder.empty() || folder.back() != '/') {
            folder += '/';
        }
        std::string name = chosen.filename().string();
        if (save) {
            name = WithDefaultExtension(name, request.pattern);
            if (!ConfirmReplace(box_, folder, name)) {
                continue;
            }
        }
        result.ok = true;
        result.folder = folder;
        result.fileName = name;
        break;
    }
    return result;
}

}  // namespace tamberline
