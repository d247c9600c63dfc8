#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "base/file_dialog.h"
#include "files/drives.h"
#include "files/file_monitors.h"
#include "files/folder_listing.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tamberline {

class FileCopier;
class FolderTree;
class MessageBox;

// The program's open and save dialog: a folder tree, the sorted files of
// the chosen folder, the file name in save mode and "Preserve folder
// structure". While it is open it is the monitors' message target.
class FileDialogWindow final : public QDialog, private MonitorTarget {
    Q_OBJECT
public:
    struct Services {
        MessageBox& box;
        FileMonitors& monitors;
        FileCopier& copier;
        std::vector<Drive> drives;
    };

    FileDialogWindow(const FileDialogRequest& request, const Services& services,
                     QWidget* parent = nullptr);
    ~FileDialogWindow() override;

    FileDialogResult result() const { return result_; }

    // What the operator can do, for the dialog's controls and for tests.
    FolderTree& tree() { return *tree_; }
    QTreeWidget& fileList() { return *list_; }
    QLineEdit& nameEdit() { return *nameEdit_; }
    QCheckBox& preserve() { return *preserve_; }
    QLabel& status() { return *status_; }
    std::string CurrentFolder() const { return folder_; }
    void ListFiles();
    void SetOrder(ListOrder order);
    // OK as the button and Enter in the name box do it.
    void AcceptChoice();
    // Files dropped from the desktop: copied into the shown folder.
    void CopyIn(const std::vector<std::string>& files);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void done(int code) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // MonitorTarget
    void FolderChanged() override;
    void DriveChanged(const std::string& root) override;

    void BuildControls();
    void OnFolderSelected(const std::string& folder);
    void OnFileChosen();
    void ShowPreserve(bool shown);
    void AcceptOpen();
    void AcceptSave();
    void Finish(const std::string& name);
    void Close();
    void ResizeColumns();

    FileDialogRequest request_;
    MessageBox& box_;
    FileMonitors& monitors_;
    FileCopier& copier_;
    MonitorTarget* previousTarget_ = nullptr;
    FolderTree* tree_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QCheckBox* preserve_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::string folder_;
    std::string initialName_;
    ListOrder order_ = ListOrder::kNatural;
    bool listing_ = false;
    bool relistPending_ = false;
    bool cancelled_ = false;
    bool closed_ = false;
    FileDialogResult result_;
};

}  // namespace tamberline
