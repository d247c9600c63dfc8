#pragma once

#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "files/drives.h"
#include "files/inotify_watch.h"

namespace tamberline {

// The window the monitors report to: whichever tool dialog is open.
class MonitorTarget {
public:
    virtual ~MonitorTarget() = default;
    // WM_FOLDER_CHANGED: a file of the shown folder was added, removed,
    // renamed or changed its attributes.
    virtual void FolderChanged() = 0;
    // WM_DRIVE_CHANGED: a folder of this drive (by its root) came or went.
    virtual void DriveChanged(const std::string& root) = 0;
    // WM_BUSY_DONE: a tree finished expanding an item.
    virtual void BusyDone() {}
};

// The folder monitor (the shown folder) and the drive monitors (one per
// shown drive), with the message target they report to. inotify does not
// watch a tree, so a drive monitor watches the drive's root and every
// folder a tree has listed, which is every folder the operator can see.
// Reports are made from the event loop of the thread that owns this
// object and are delivered there to the target of the moment of reporting,
// as long as it is still the target.
class FileMonitors final : public QObject {
    Q_OBJECT
public:
    FileMonitors();
    ~FileMonitors() override;

    // messageTargetWindow; returns the previous target for the caller to
    // restore when it closes.
    MonitorTarget* SetMessageTarget(MonitorTarget* target);
    MonitorTarget* messageTarget() const { return target_; }

    // driveMonitorSuppress: the next report of any drive monitor is
    // swallowed, because the change is the program's own.
    void SuppressNextDriveReport() { driveMonitorSuppress_ = true; }
    bool driveReportSuppressed() const { return driveMonitorSuppress_; }
    // copyInProgress: the folder monitor reports nothing while it is set.
    void SetCopyInProgress(bool on) { copyInProgress_ = on; }
    bool copyInProgress() const { return copyInProgress_; }

    // Stops a running folder monitor first. Nothing starts when the folder
    // does not exist or lies on a CD-ROM.
    bool StartFolderMonitor(const std::string& folder);
    void StopFolderMonitor();
    bool FolderMonitorRunning() const;
    std::string MonitoredFolder() const;

    // (Re)starts the drive's monitor on its root.
    bool StartDriveMonitor(const Drive& drive);
    // The folders a tree has listed on the drive (the root is always
    // watched); the drive's monitor must run.
    void WatchDriveFolders(const std::string& root, const std::vector<std::string>& folders);
    void StopDriveMonitor(const std::string& root);
    bool DriveMonitorRunning(const std::string& root) const;
    // The folder monitor, every drive monitor.
    void StopAll();
    // After a nested tool dialog closed (which stopped every monitor): a
    // monitor and a drive report for every drive of the mask that is not a
    // CD-ROM, and the folder monitor on `folder`.
    void RestartForMask(const std::vector<Drive>& drives, uint32_t mask, const std::string& folder);

    void PostBusyDone();

private:
    void OnFolderEvents(const std::vector<InotifyWatch::Event>& events);
    void OnDriveEvents(const std::string& root, const std::vector<InotifyWatch::Event>& events);
    template <typename Deliver>
    void Post(Deliver deliver);

    MonitorTarget* target_ = nullptr;
    bool driveMonitorSuppress_ = false;
    bool copyInProgress_ = false;
    std::unique_ptr<InotifyWatch> folderMonitor_;
    std::map<std::string, std::unique_ptr<InotifyWatch>> driveMonitors_;
};

}  // namespace tamberline
