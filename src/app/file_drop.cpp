#include "app/file_drop.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cctype>

#include "app/console_grid.h"
#include "app/grid_hooks.h"
#include "app/run_control.h"
#include "base/message_box.h"
#include "net/link_state.h"
#include "session/session.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

constexpr const char* kUnsupported =
    "Either the hardware didn't support the file type,\n"
    "or there was an error in the file.";

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string CaptionFor(const std::string& path) {
    const std::string name = FileNamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

bool PathKinds::IsNetworkPath(const std::string& path) const {
    return tamberline::IsNetworkPath(path);
}

bool PathKinds::IsOnCdDrive(const std::string& path) const {
    const QStorageInfo storage(ToQString(path));
    if (!storage.isValid()) {
        return false;
    }
    const QByteArray type = storage.fileSystemType();
    return type == "iso9660" || type == "udf";
}

int CdTrackOf(const std::string& path) {
    const std::string name = FileNamePart(path);
    if (name.size() < 6) {
        return -1;
    }
    const char tens = name[name.size() - 6];
    const char units = name[name.size() - 5];
    if (!std::isdigit(static_cast<unsigned char>(tens)) ||
        !std::isdigit(static_cast<unsigned char>(units))) {
        return -1;
    }
    return (tens - '0') * 10 + (units - '0');
}

void FileDrop::Drop(const std::vector<std::string>& paths, int button) {
    bool network = false;
    std::vector<int> tracks;
    std::string session;
    for (const std::string& path : paths) {
        if (kinds_.IsNetworkPath(path)) {
            network = true;
        } else if (kinds_.IsOnCdDrive(path)) {
            if (const int track = CdTrackOf(path); track >= 0) {
                tracks.push_back(track);
            }
        } else if (session.empty() && EndsWithIgnoringCase(path, ".dbf")) {
            session = path;
        }
    }
    // Checked before anything opens, so a refused drop changes nothing.
    if (network) {
        context_.box.Show("Cannot load files from\na network device.", mb::kOk | mb::kIconStop);
        return;
    }
    if (!tracks.empty()) {
        context_.hooks.OpenCdRipper(tracks);
        return;
    }
    if (!session.empty()) {
        context_.session.OpenSessionRequest(session);
        context_.grid.RefreshStatusLine();
        return;
    }
    if (button < 0 || button >= kButtonCount || paths.empty()) {
        return;
    }
    if (context_.link.IsLinkedMaster()) {
        context_.box.Show("Cannot assign the buttons\nof a remote slave.", mb::kOk | mb::kIconStop);
        return;
    }
    Assign(paths, button);
}

void FileDrop::Assign(const std::vector<std::string>& paths, int first) {
    GridView& view = context_.grid.view();
    view.SetWaitCursor(true);
    // More files than buttons would only overwrite the first ones again.
    const size_t count = std::min(paths.size(), static_cast<size_t>(kButtonCount));
    std::vector<std::string> failed;
    size_t assigned = 0;
    {
        RecordEdit edit(context_);
        for (size_t i = 0; i < count; ++i) {
            const int button = (first + static_cast<int>(i)) % kButtonCount;
            edit.Touch(button);
            if (AssignOne(edit, button, paths[i])) {
                ++assigned;
            } else {
                failed.push_back(paths[i]);
            }
        }
        edit.Finish(assigned == 0);
    }
    context_.grid.RepaintPage();
    view.SetWaitCursor(false);
    if (failed.size() == 1) {
        context_.box.Show(failed.front() + "\n\nFile could not be loaded.\n" + kUnsupported,
                          mb::kOk | mb::kIconStop);
    } else if (failed.size() > 1) {
        context_.box.Show(std::string("Some files could not be loaded.\n") + kUnsupported,
                          mb::kOk | mb::kIconStop);
    }
}

bool FileDrop::AssignOne(RecordEdit& edit, int button, const std::string& path) {
    // A path the record cannot hold whole would name another file.
    if (path.empty() || path.size() >= kPathSize) {
        return false;
    }
    const QFileInfo file(ToQString(path));
    if (!file.isFile() || !file.isReadable()) {
        return false;
    }
    const ButtonRecord& old = edit.Record(button);
    ButtonRecord next = IsAssigned(old) ? old : NewButtonRecord(context_.registry);
    SetPath(next, path);
    SetCaption(next, CaptionFor(path));
    if (context_.run.PrepareButton(button, next) != 0) {
        return false;
    }
    edit.Record(button) = next;
    context_.run.SetPlayedMs(button, 0);
    context_.grid.DrawButton(button);
    return true;
}

}  // namespace tamberline
