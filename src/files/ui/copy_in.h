#pragma once

#include <string>
#include <vector>

class QWidget;

namespace tamberline {

class FileCopier;
class FileMonitors;
class MessageBox;

// Files dropped from the desktop onto a tool dialog: copied into `folder`
// with a progress box the operator can cancel. The folder monitor stays
// quiet meanwhile (the dialog re-lists the folder itself afterwards); the
// first failure is shown as a system-error report.
void CopyFilesInto(QWidget* owner, FileCopier& copier, FileMonitors& monitors, MessageBox& box,
                   const std::vector<std::string>& files, const std::string& folder);

}  // namespace tamberline
