#pragma once

#include <QModelIndex>
#include <functional>
#include <string>

namespace tamberline {

class FileMonitors;
class FolderTreeModel;
class MessageBox;

// The folder trees' popup menu ("New folder", "Rename", "Explorer",
// "Delete") and label editing, without a widget. Every message goes
// through the message box.
class FolderCommands {
public:
    struct Shell {
        // Moves a folder to the desktop's trash; false when it cannot.
        std::function<bool(const std::string& path)> moveToTrash;
        // Opens a folder in the desktop's file manager.
        std::function<void(const std::string& folder)> explore;
    };
    static Shell SystemShell();

    FolderCommands(FolderTreeModel& model, MessageBox& box, FileMonitors& monitors,
                   Shell shell = SystemShell());

    struct Enabled {
        bool newFolder = false;
        bool rename = false;
        bool explore = false;
        bool remove = false;
    };
    Enabled MenuState(const QModelIndex& selected) const;

    // Creates "New folder" (or "New folder (n)") in the selected folder;
    // the new item, for the caller to select and start editing, or an
    // invalid index on failure (the message has been shown).
    QModelIndex NewFolder(const QModelIndex& selected);
    // Label editing ended with `text`: renames the folder in its parent.
    // False leaves the old name.
    bool Rename(const QModelIndex& item, const std::string& text);
    // Asks, then moves the folder to the trash (or deletes it); true when
    // the folder is gone.
    bool Delete(const QModelIndex& item);
    void Explore(const QModelIndex& selected);

private:
    FolderTreeModel& model_;
    MessageBox& box_;
    FileMonitors& monitors_;
    Shell shell_;
};

// The first of "New folder", "New folder (1)", "New folder (2)" ... that
// does not exist in `folder`.
std::string FreeNewFolderName(const std::string& folder);

// Why a label cannot be a folder's new name, or empty when it can: the
// name would move the folder elsewhere ("/", "." or "..") or make its path
// longer than the fields that store paths.
std::string RenameRefusal(const std::string& parent, const std::string& name);

}  // namespace tamberline
