#pragma once

#include <QPointer>
#include <QWidget>

#include "base/file_dialog.h"
#include "base/message_box.h"

class QWidget;

namespace tamberline {

// The open/save dialog on Qt's own file dialog, with the program's rules
// for extensions and replacing files.
class QtFileDialog final : public FileDialog {
public:
    QtFileDialog(QWidget* owner, MessageBox& box) : owner_(owner), box_(box) {}
    FileDialogResult Run(const FileDialogRequest& request) override;

private:
    QPointer<QWidget> owner_;
    MessageBox& box_;
};

// Save-mode rules shared by every file dialog: the pattern's extension is
// appended unless the name already ends in it (ignoring case); an existing
// file is only replaced when the operator says so.
std::string WithDefaultExtension(const std::string& name, const std::string& pattern);
bool ConfirmReplace(MessageBox& box, const std::string& folder, const std::string& name);

}  // namespace tamberline
