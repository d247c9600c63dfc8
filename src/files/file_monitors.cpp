#include "files/file_monitors.h"

#include <sys/inotify.h>

#include <QMetaObject>

#include "files/folder_listing.h"

namespace tamberline {

namespace {

// Changes of file names and of attributes in the folder, and the folder
// itself going away.
constexpr uint32_t kFolderMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// Changes of folder names.
constexpr uint32_t kDriveMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

bool IsFolderNameChange(const InotifyWatch::Event& event) {
    return (event.mask & IN_ISDIR) && (event.mask & kDriveMask);
}

bool IsFileChange(const InotifyWatch::Event& event) {
    return !(event.mask & IN_ISDIR) &&
           (event.mask & (kFolderMask & ~(IN_DELETE_SELF | IN_MOVE_SELF)));
}

}  // namespace

FileMonitors::FileMonitors() = default;

FileMonitors::~FileMonitors() = default;

MonitorTarget* FileMonitors::SetMessageTarget(MonitorTarget* target) {
    MonitorTarget* previous = target_;
    target_ = target;
    return previous;
}

template <typename Deliver>
void FileMonitors::Post(Deliver deliver) {
    MonitorTarget* target = target_;
    if (!target) {
        return;
    }
    // A target that closed before the report arrives no longer gets it.
    QMetaObject::invokeMethod(
        this,
        [this, target, deliver] {
            if (target_ == target) {
                deliver(*target);
            }
        },
        Qt::QueuedConnection);
}

bool FileMonitors::StartFolderMonitor(const std::string& folder) {
    StopFolderMonitor();
    if (!IsFolder(folder) || DriveTypeOfPath(folder) == DriveType::kCdRom) {
        return false;
    }
    auto monitor = std::make_unique<InotifyWatch>(
        kFolderMask, [this](const auto& events) { OnFolderEvents(events); });
    if (!monitor->Add(folder)) {
        return false;
    }
    folderMonitor_ = std::move(monitor);
    return true;
}

void FileMonitors::StopFolderMonitor() {
    folderMonitor_.reset();
}

bool FileMonitors::FolderMonitorRunning() const {
    return folderMonitor_ && !folderMonitor_->Empty();
}

std::string FileMonitors::MonitoredFolder() const {
    if (!FolderMonitorRunning()) {
        return {};
    }
    return folderMonitor_->Folders().front();
}

void FileMonitors::OnFolderEvents(const std::vector<InotifyWatch::Event>& events) {
    const std::string folder = MonitoredFolder();
    if (folder.empty() || !IsFolder(folder)) {
        // The folder was deleted or moved away: the monitor ends silently.
        StopFolderMonitor();
        return;
    }
    bool changed = false;
    for (const auto& event : events) {
        changed = changed || IsFileChange(event);
    }
    if (changed && !copyInProgress_) {
        Post([](MonitorTarget& target) { target.FolderChanged(); });
    }
}

bool FileMonitors::StartDriveMonitor(const Drive& drive) {
    StopDriveMonitor(drive.root);
    const std::string root = drive.root;
    auto monitor = std::make_unique<InotifyWatch>(
        kDriveMask, [this, root](const auto& events) { OnDriveEvents(root, events); });
    if (!monitor->Add(root)) {
        return false;
    }
    driveMonitors_[root] = std::move(monitor);
    driveMonitorSuppress_ = false;
    return true;
}

void FileMonitors::WatchDriveFolders(const std::string& root,
                                     const std::vector<std::string>& folders) {
    const auto monitor = driveMonitors_.find(root);
    if (monitor == driveMonitors_.end()) {
        return;
    }
    std::vector<std::string> watched = folders;
    watched.push_back(root);
    monitor->second->SetFolders(watched);
}

void FileMonitors::StopDriveMonitor(const std::string& root) {
    driveMonitors_.erase(root);
}

bool FileMonitors::DriveMonitorRunning(const std::string& root) const {
    return driveMonitors_.count(root) != 0;
}

void FileMonitors::OnDriveEvents(const std::string& root,
                                 const std::vector<InotifyWatch::Event>& events) {
    bool changed = false;
    for (const auto& event : events) {
        changed = changed || IsFolderNameChange(event);
    }
    if (!changed) {
        return;
    }
    if (driveMonitorSuppress_) {
        driveMonitorSuppress_ = false;
        return;
    }
    Post([root](MonitorTarget& target) { target.DriveChanged(root); });
}

void FileMonitors::StopAll() {
    StopFolderMonitor();
    driveMonitors_.clear();
}

void FileMonitors::RestartForMask(const std::vector<Drive>& drives, uint32_t mask,
                                  const std::string& folder) {
    for (const Drive& drive : drives) {
        if (InDriveMask(mask, drive.type) && drive.type != DriveType::kCdRom) {
            StartDriveMonitor(drive);
            const std::string root = drive.root;
            Post([root](MonitorTarget& target) { target.DriveChanged(root); });
        }
    }
    StartFolderMonitor(folder);
}

void FileMonitors::PostBusyDone() {
    Post([](MonitorTarget& target) { target.BusyDone(); });
}

}  // namespace tamberline
