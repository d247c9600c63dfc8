#include "app/asio_control_panel.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "session/registry.h"

namespace tamberline {

namespace {

struct ProcessState {
    char state = 0;
    uint64_t startTicks = 0;
};

// From /proc/<pid>/stat: the state letter and the start time (field 22).
bool ReadProcessState(int64_t pid, ProcessState& out) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray text = file.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0) {
        return false;
    }
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 20 || fields[0].isEmpty()) {
        return false;
    }
    out.state = fields[0][0];
    out.startTicks = fields[19].toULongLong();
    return true;
}

// Control programs are executables without an extension, mostly in /usr/bin.
FileDialogRequest PanelRequest(const std::string& title) {
    FileDialogRequest request;
    request.title = title;
    request.okCaption = std::string("Open");
    request.initialPath = std::string("/usr/bin/");
    request.pattern = std::string("*");
    return request;
}

}  // namespace

AsioControlPanels::AsioControlPanels(Registry& registry, MessageBox& messages, FileDialog& files)
    : registry_(registry), messages_(messages), files_(files) {}

bool AsioControlPanels::StillRunning(const Started& started) {
    ProcessState state;
    return ReadProcessState(started.pid, state) && state.state != 'Z' &&
           state.startTicks == started.startTicks;
}

void AsioControlPanels::Open(const std::vector<std::string>& drivers, int row, bool reassign) {
    if (row < 1 || row > static_cast<int>(drivers.size())) {
        messages_.Show("An ASIO driver must be selected\nand the device must be running.",
                       mb::kOk | mb::kIconStop);
        return;
    }
    OpenProgram(drivers[static_cast<size_t>(row - 1)], reassign, "Assign an ASIO control panel.");
}

void AsioControlPanels::OpenProgram(const std::string& driver, bool reassign,
                                    const std::string& assignTitle) {
    const auto it = started_.find(driver);
    if (it != started_.end()) {
        if (StillRunning(it->second)) {
            return;
        }
        started_.erase(it);
    }
    std::string path;
    registry_.GetString(settings::ControlPanelProgram(driver), path);
    if (reassign || !QFileInfo(QString::fromStdString(path)).isFile()) {
        const FileDialogResult chosen = files_.Run(PanelRequest(assignTitle));
        path = chosen.Path();
        registry_.SetString(settings::ControlPanelProgram(driver), path);
        if (path.empty()) {
            return;  // cancelled: nothing to start
        }
    }
    QProcess process;
    process.setProgram(QString::fromStdString(path));
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        messages_.Show(process.errorString().toStdString(), mb::kOk | mb::kIconStop);
        return;
    }
    Started started;
    started.pid = pid;
    ProcessState state;
    if (ReadProcessState(pid, state)) {
        started.startTicks = state.startTicks;
    }
    started_[driver] = started;
}

}  // namespace tamberline
