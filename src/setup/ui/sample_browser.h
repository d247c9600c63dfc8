#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "files/drives.h"
#include "files/file_monitors.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tamberline {

class FileCopier;
class FolderTree;
class MessageBox;

// The setup dialogs' browser: the folder tree of the fixed drives over the
// browse folder's files (name and date), kept up to date by the monitors;
// files dropped on it are copied into the browse folder.
class SampleBrowser final : public QWidget, private MonitorTarget {
    Q_OBJECT
public:
    struct Services {
        MessageBox& box;
        FileMonitors& monitors;
        FileCopier& copier;
        std::vector<Drive> drives;
    };

    SampleBrowser(const Services& services, bool multiSelect, QWidget* parent = nullptr);
    ~SampleBrowser() override;

    void OpenAt(const std::string& folder);
    // Ends with '/'; empty before a folder was shown.
    const std::string& folder() const { return folder_; }
    FolderTree& tree() { return *tree_; }
    QTreeWidget& list() { return *list_; }

    // The selected file names in list order.
    std::vector<std::string> SelectedNames() const;
    // Marks these names; unless `chosen`, the marking is not counted as the
    // operator's choice.
    void MarkNames(const std::vector<std::string>& names, bool chosen = false);
    // The operator changed the selection since the marking.
    bool selectionTouched() const { return touched_; }
    void ClearSelection();
    // Copies the files into the browse folder, then lists it again.
    void CopyIn(const std::vector<std::string>& files);
    // Stops the monitors and gives the message target back.
    void Close();

signals:
    // A file of the list was chosen (single selection).
    void FileChosen(const std::string& path);
    void FolderShown(const std::string& folder);
    // A right click on the file list.
    void ListContextRequested();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FolderChanged() override { ListFiles(); }
    void DriveChanged(const std::string& root) override;
    void ListFiles();
    void OnItemClicked(QTreeWidgetItem* item);

    MessageBox& box_;
    FileMonitors& monitors_;
    FileCopier& copier_;
    MonitorTarget* previousTarget_ = nullptr;
    FolderTree* tree_ = nullptr;
    QTreeWidget* list_ = nullptr;
    std::string folder_;
    bool marking_ = false;
    bool touched_ = false;
    bool closed_ = false;
};

}  // namespace tamberline
