#include "files/external_editor.h"

#include <dirent.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "base/file_dialog.h"
#include "base/message_box.h"
#include "base/path_compare.h"
#include "base/path_parts.h"
#include "files/folder_listing.h"
#include "files/path_text.h"
#include "session/registry.h"

namespace tamberline {

namespace {

constexpr int kEditorLooks = 11;
constexpr int kEditorLookMs = 500;
constexpr const char* kFailed = "Editor failed to start.";

bool FileExists(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), F_OK) == 0 && !IsFolder(path);
}

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) {
        list << FromBytes(argument);
    }
    return QProcess::startDetached(FromBytes(program), list);
}

ExternalEditor::ExternalEditor(Registry& registry, FileDialog& files, std::string procRoot,
                               ProgramStarter start)
    : registry_(registry),
      files_(files),
      procRoot_(std::move(procRoot)),
      start_(std::move(start)) {}

bool ExternalEditor::AssignEditor() {
    const std::string stored = registry_.String(settings::kEditExecutable);
    FileDialogRequest request;
    request.driveTypeMask = 8;
    request.okCaption = "Open";
    request.title = "Assign an editor.";
    // Programs here carry no ".exe": every file is offered.
    request.pattern = "*";
    request.initialPath = FileExists(stored) ? stored : "/usr/bin/";
    request.mode = FileDialogRequest::Mode::kOpen;
    const FileDialogResult result = files_.Run(request);
    if (!result.ok) {
        return false;
    }
    registry_.SetString(settings::kEditExecutable, result.Path());
    return true;
}

bool ExternalEditor::LaunchEditor(const std::vector<std::string>& arguments) {
    std::string editor = registry_.String(settings::kEditExecutable);
    if (!FileExists(editor)) {
        AssignEditor();
        editor = registry_.String(settings::kEditExecutable);
        if (!FileExists(editor)) {
            return false;
        }
    }
    return start_(editor, arguments);
}

bool ExternalEditor::FindEditorWindow() {
    editorProcess_ = 0;
    const std::string editor = registry_.String(settings::kEditExecutable);
    if (editor.empty()) {
        return false;
    }
    // Compare with the program's real path too: the stored one may lead
    // through a link.
    char resolved[PATH_MAX];
    const std::string real = ::realpath(editor.c_str(), resolved) ? resolved : editor;
    DIR* dir = ::opendir(procRoot_.c_str());
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') {
            continue;
        }
        const std::string link = procRoot_ + "/" + entry->d_name + "/exe";
        char target[PATH_MAX];
        const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
        if (length <= 0) {
            continue;  // gone meanwhile, or not ours to look at
        }
        const std::string exe(target, static_cast<size_t>(length));
        if (SamePathIgnoringCase(exe, editor) || SamePathIgnoringCase(exe, real)) {
            editorProcess_ = static_cast<int>(pid);
            break;
        }
    }
    ::closedir(dir);
    return editorProcess_ != 0;
}

void ExploreFolder(const std::string& folder) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {FromBytes(folder)});
}

void EditButtonSample(int button, const RecordArray& records, ExternalEditor& editor,
                      MessageBox& box, const SampleEditHooks& hooks) {
    if (button < 0 || button >= kButtonCount) {
        return;
    }
    const std::string path(PathOf(records[static_cast<size_t>(button)]));
    if (hooks.isPlaylist(path)) {
        hooks.openSonglistEditor(path);
        return;
    }
    const bool exists = FileExists(path);
    if (exists) {
        std::vector<int> sharing;
        bool playing = false;
        for (int k = 0; k < kButtonCount; ++k) {
            const ButtonRecord& record = records[static_cast<size_t>(k)];
            if (IsAssigned(record) && SamePathIgnoringCase(std::string(PathOf(record)), path)) {
                sharing.push_back(k);
                playing = playing || hooks.isPlayingOrPaused(k);
            }
        }
        if (playing && box.Show("This command will stop and reset \nall instances of this sample "
                                "\nwhich are currently playing or paused.",
                                mb::kOkCancel | mb::kIconQuestion | mb::kDefault2) != kResultOk) {
            return;
        }
        for (int k : sharing) {
            hooks.releaseMedia(k);
        }
    }
    // Without a file the editor starts empty. A running editor gets the
    // sample the same way: by being started again with it.
    if (!editor.LaunchEditor(exists ? std::vector<std::string>{path}
                                    : std::vector<std::string>{})) {
        box.Show(kFailed, mb::kOk | mb::kIconStop);
    }
}

void HandSamplesToEditor(ExternalEditor& editor, MessageBox& box,
                         const std::vector<std::string>& samples,
                         const std::function<void(int ms)>& wait) {
    bool launched = true;
    if (!editor.FindEditorWindow()) {
        launched = editor.LaunchEditor({});
        for (int look = 0; launched && look < kEditorLooks && !editor.FindEditorWindow(); ++look) {
            wait(kEditorLookMs);
        }
    }
    if (editor.editorProcess() != 0 && !samples.empty()) {
        launched = editor.LaunchEditor(samples);
    }
    if (!launched) {
        box.Show(kFailed, mb::kOk | mb::kIconStop);
    }
}

}  // namespace tamberline
