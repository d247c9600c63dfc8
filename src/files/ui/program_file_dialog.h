#pragma once

#include <QPointer>
#include <QWidget>

#include "base/file_dialog.h"
#include "files/file_copier.h"

namespace tamberline {

class FileMonitors;
class MessageBox;

// The FileDialog of the running program: the program's own dialog over
// the system's drives.
class ProgramFileDialog final : public FileDialog {
public:
    ProgramFileDialog(QWidget* owner, MessageBox& box, FileMonitors& monitors, FileCopier& copier)
        : owner_(owner), box_(box), monitors_(monitors), copier_(copier) {}
    FileDialogResult Run(const FileDialogRequest& request) override;

private:
    QPointer<QWidget> owner_;
    MessageBox& box_;
    FileMonitors& monitors_;
    FileCopier& copier_;
};

}  // namespace tamberline
