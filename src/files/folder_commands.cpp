#include "files/folder_commands.h"

#include <sys/stat.h>

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "files/dialog_rules.h"
#include "files/external_editor.h"
#include "files/file_monitors.h"
#include "files/folder_listing.h"
#include "files/folder_tree_model.h"
#include "session/disk_file.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool IsNetworkFolder(const FolderTreeModel& model, const QModelIndex& item,
                     const std::string& path) {
    return IsNetworkPath(path) || model.DriveTypeOf(item) == DriveType::kRemote ||
           IsOnNetwork(path);
}

}  // namespace

FolderCommands::Shell FolderCommands::SystemShell() {
    Shell shell;
    shell.moveToTrash = [](const std::string& path) {
        return QFile::moveToTrash(QFile::decodeName(QByteArray::fromStdString(path)));
    };
    shell.explore = ExploreFolder;
    return shell;
}

FolderCommands::FolderCommands(FolderTreeModel& model, MessageBox& box, FileMonitors& monitors,
                               Shell shell)
    : model_(model), box_(box), monitors_(monitors), shell_(std::move(shell)) {}

std::string FreeNewFolderName(const std::string& folder) {
    std::string name = "New folder";
    for (int n = 1; Exists(folder + name); ++n) {
        name = "New folder (" + std::to_string(n) + ")";
    }
    return name;
}

std::string RenameRefusal(const std::string& parent, const std::string& name) {
    if (const std::string refusal = NameRefusal(name); !refusal.empty()) {
        return refusal;
    }
    // The folder's path with its trailing '/' must fit the path fields.
    if (IsTooLongForPathField(parent + name + "/")) {
        return TooLongMessage(parent + name);
    }
    return {};
}

FolderCommands::Enabled FolderCommands::MenuState(const QModelIndex& selected) const {
    Enabled enabled;
    enabled.explore = true;  // the file system's root when nothing is selected
    if (!selected.isValid()) {
        return enabled;
    }
    const bool root = model_.IsRoot(selected);
    enabled.newFolder = true;
    enabled.rename = !root;
    enabled.remove = !root;
    return enabled;
}

QModelIndex FolderCommands::NewFolder(const QModelIndex& selected) {
    if (!selected.isValid()) {
        return {};
    }
    const std::string parent = model_.PathOf(selected);
    const std::string name = FreeNewFolderName(parent);
    if (const std::string refusal = RenameRefusal(parent, name); !refusal.empty()) {
        box_.Show(refusal, mb::kOk | mb::kIconStop);
        return {};
    }
    // The drive monitor's next report is this very change.
    monitors_.SuppressNextDriveReport();
    if (::mkdir((parent + name).c_str(), 0777) != 0) {
        const int error = errno;
        box_.Show(SystemErrorReport(parent + name, error), mb::kOk | mb::kIconStop);
        return {};
    }
    const QModelIndex item = model_.InsertFolder(selected, name);
    monitors_.StopFolderMonitor();
    return item;
}

bool FolderCommands::Rename(const QModelIndex& item, const std::string& text) {
    if (!item.isValid() || model_.IsRoot(item) || text.empty()) {
        return false;
    }
    const std::string parent = model_.PathOf(item.parent());
    const std::string oldPath = WithoutTrailingSlash(model_.PathOf(item));
    bool renamed = false;
    if (const std::string refusal = RenameRefusal(parent, text); !refusal.empty()) {
        box_.Show(refusal, mb::kOk | mb::kIconStop);
    } else if (Exists(parent + text)) {
        // rename() would quietly replace an empty folder of that name.
        box_.Show(SystemErrorReport(parent + text, EEXIST), mb::kOk | mb::kIconStop);
    } else if (std::rename(oldPath.c_str(), (parent + text).c_str()) != 0) {
        const int error = errno;
        box_.Show(SystemErrorReport(oldPath, error), mb::kOk | mb::kIconStop);
    } else {
        renamed = true;
    }
    monitors_.StartFolderMonitor(renamed ? parent + text + "/" : oldPath + "/");
    return renamed;
}

bool FolderCommands::Delete(const QModelIndex& item) {
    if (!item.isValid() || model_.IsRoot(item)) {
        return false;
    }
    const std::string path = WithoutTrailingSlash(model_.PathOf(item));
    const std::string deleteQuestion =
        path + "\n\nAre you sure you want to delete this folder\nand all its contents?";
    const bool network = IsNetworkFolder(model_, item, path);
    const std::string question =
        network ? deleteQuestion
                : path +
                      "\n\nAre you sure you want to move this folder\nand all its contents to "
                      "the recycle bin?";
    if (box_.Show(question, mb::kYesNo | mb::kIconQuestion) != kResultYes) {
        return false;
    }
    monitors_.StopFolderMonitor();
    if (network || !shell_.moveToTrash(path)) {
        // No trash here (a network or removable file system without one):
        // deleting for good needs its own yes, never the trash's.
        if (!network && box_.Show(deleteQuestion, mb::kYesNo | mb::kIconQuestion) != kResultYes) {
            return false;
        }
        std::error_code error;
        std::filesystem::remove_all(path, error);
        if (error) {
            box_.Show(SystemErrorReport(path, error.value()), mb::kOk | mb::kIconStop);
            if (IsFolder(path)) {
                return false;
            }
        }
    }
    model_.RemoveItem(item);
    return true;
}

void FolderCommands::Explore(const QModelIndex& selected) {
    shell_.explore(selected.isValid() ? model_.PathOf(selected) : std::string("/"));
}

}  // namespace tamberline
