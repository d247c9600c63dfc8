#pragma once

#include <QDialog>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cd/burn_controller.h"
#include "cd/burn_list.h"
#include "cd/ui/cd_dialogs.h"
#include "files/file_monitors.h"

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tamberline {

class FolderTree;
class ImageRecorder;

// "CD Burner.": WAV files of the folder chosen in the tree are collected
// into the burn list, ordered and burnt on the chosen recorder. While it
// is open it is the monitors' message target.
class CdBurnerDialog final : public QDialog, public BurnController::View, public MonitorTarget {
    Q_OBJECT
public:
    CdBurnerDialog(const CdDialogServices& services, QWidget* parent = nullptr);
    ~CdBurnerDialog() override;

    FolderTree& tree() { return *tree_; }
    QListWidget& sourceList() { return *source_; }
    QListWidget& burnList() { return *burnList_; }
    QComboBox& recorderList() { return *recorderList_; }
    QLabel& capacity() { return *capacity_; }
    QLabel& status() { return *status_; }
    QProgressBar& progress() { return *progress_; }
    QPushButton& burnButton() { return *burn_; }
    QPushButton& cancelButton() { return *cancel_; }
    const BurnList& list() const { return list_; }
    const std::string& sourceFolder() const { return folder_; }
    bool busy() const { return controller_.busy(); }

    // The buttons' commands.
    void AddAll() { AddNames(true); }
    void Add() { AddNames(false); }
    void Remove();
    void MoveUp() { Move(true); }
    void MoveDown() { Move(false); }
    void ClearAll();
    void Burn();
    void Cancel() { controller_.Cancel(); }
    // Files dropped from the desktop: copied into the source folder.
    void CopyIn(const std::vector<std::string>& files);

    // BurnController::View
    void SetStatus(const std::string& text) override;
    void SetProgress(int percent) override;
    void SetBurning(bool burning) override;
    void CloseDialog() override { accept(); }

    // MonitorTarget
    void FolderChanged() override;
    void DriveChanged(const std::string& root) override;

    // "Exit" and the window's close command.
    void reject() override;

protected:
    void done(int code) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void ListSource();
    void DropVanished(const std::vector<std::string>& missing);
    std::set<int> SelectedRows() const;
    void AddNames(bool all);
    void Move(bool up);
    void Refresh();
    bool ChooseImage(ImageRecorder& image);
    void Close();

    CdDialogServices services_;
    MonitorTarget* previousTarget_ = nullptr;
    BurnController controller_;
    BurnList list_;
    std::string listPath_;
    std::string folder_;
    bool loaded_ = false;
    bool listing_ = false;
    bool closed_ = false;
    std::vector<std::unique_ptr<Recorder>> recorders_;
    FolderTree* tree_ = nullptr;
    QListWidget* source_ = nullptr;
    QListWidget* burnList_ = nullptr;
    QComboBox* recorderList_ = nullptr;
    QPushButton* burn_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* capacity_ = nullptr;
    QLabel* status_ = nullptr;
    std::vector<QWidget*> editing_;
};

}  // namespace tamberline
