#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "files/drives.h"

class QSocketNotifier;

namespace tamberline {

// Device arrival and removal: the kernel marks /proc/self/mountinfo when
// a file system is mounted or unmounted (udisks, mount, a stick pulled, a
// share mounted or lost). Each change is compared with the drives and
// network shares known before and reported from the event loop.
class MountWatcher final : public QObject {
    Q_OBJECT
public:
    // `mountInfo`: the mount table to read (tests hand a file of their
    // own and call Check after changing it).
    explicit MountWatcher(QObject* parent = nullptr, std::string mountInfo = kSystemMountInfo);
    ~MountWatcher() override;

    // Compares the system's drives and shares with the last known ones now
    // (also what a mount change does).
    void Check();
    const std::vector<std::string>& Shares() const { return shares_; }

signals:
    void DriveArrived(const tamberline::Drive& drive);
    void DriveRemoved(const tamberline::Drive& drive);
    void ShareArrived(const std::string& share);
    void ShareRemoved(const std::string& share);

private:
    std::vector<Drive> ReadDrives(const std::string& text) const;

    std::string mountInfo_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<Drive> known_;
    std::vector<std::string> shares_;
};

}  // namespace tamberline
