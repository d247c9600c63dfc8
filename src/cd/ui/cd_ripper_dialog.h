#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cd/rip_job.h"
#include "cd/ui/cd_dialogs.h"
#include "files/file_monitors.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tamberline {

class FolderTree;

// "CD Ripper.": the ticked tracks of the disc in the chosen drive (or of a
// disc image opened as one) are written as WAV files into the folder of
// the edit box. Reading runs on a worker; while the dialog is open it is
// the monitors' message target.
class CdRipperDialog final : public QDialog, public RipEvents, public MonitorTarget {
    Q_OBJECT
public:
    CdRipperDialog(const CdDialogServices& services, QWidget* parent = nullptr);
    ~CdRipperDialog() override;

    FolderTree& tree() { return *tree_; }
    QComboBox& driveList() { return *drives_; }
    QListWidget& trackList() { return *tracks_; }
    QLineEdit& folderEdit() { return *folder_; }
    QCheckBox& suppressLeadIn() { return *suppress_; }
    QPushButton& ripButton() { return *rip_; }
    QPushButton& cancelButton() { return *cancel_; }
    QProgressBar& progress() { return *progress_; }
    QLabel& status() { return *status_; }
    bool ripping() const { return job_ != nullptr; }
    bool readingTracks() const { return reading_ > 0; }

    // The commands of the buttons.
    void SelectAll() { Tick(true); }
    void SelectNone() { Tick(false); }
    void ReadTracks();
    void Rip();
    void Cancel();
    void CreateFolder();
    void Eject();
    // A drive line chosen; "Disc image..." asks for the image first.
    void ChooseDrive(int index);
    // Test hook: runs on the worker before each chunk is read.
    void SetChunkHook(std::function<void(int track, int chunk)> hook) {
        chunkHook_ = std::move(hook);
    }

    // RipEvents: called on the worker; each hops to the dialog's thread.
    void FolderReady(const std::string& folder) override;
    void TrackStarted(int track, int steps) override;
    void Step(int done) override;
    void TrackEnded() override;
    void Message(const std::string& text, unsigned flags) override;
    void Done() override;

    // MonitorTarget
    void FolderChanged() override {}
    void DriveChanged(const std::string& root) override;

    // "Exit" and the window's close command.
    void reject() override;

protected:
    void done(int code) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Build();
    void Post(std::function<void()> fn);
    std::string Source() const;
    void ShowTracks(const std::vector<std::string>& names, const std::string& why);
    void Tick(bool on);
    void UpdateRip();
    void SetEditing(bool on);
    void RipDone();
    void Close();

    CdDialogServices services_;
    MonitorTarget* previousTarget_ = nullptr;
    std::unique_ptr<RipJob> job_;
    std::function<void(int, int)> chunkHook_;
    bool exitRequested_ = false;
    bool closed_ = false;
    int reading_ = 0;
    int imageLine_ = -1;  // the "Disc image..." line
    std::vector<std::string> titles_;
    FolderTree* tree_ = nullptr;
    QComboBox* drives_ = nullptr;
    QListWidget* tracks_ = nullptr;
    QCheckBox* suppress_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QPushButton* rip_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    std::vector<QWidget*> editing_;
};

}  // namespace tamberline
