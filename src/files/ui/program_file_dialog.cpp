#include "files/ui/program_file_dialog.h"

#include "files/ui/file_dialog_window.h"

namespace tamberline {

FileDialogResult ProgramFileDialog::Run(const FileDialogRequest& request) {
    FileDialogWindow window(request, {box_, monitors_, copier_, SystemDrives()}, owner_);
    window.exec();
    return window.result();
}

}  // namespace tamberline
