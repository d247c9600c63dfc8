#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "files/drives.h"

class QSocketNotifier;

namespace tamberline {

// Device arrival and removal: the kernel marks /proc/self/mountinfo when
// a file system is mounted or unmounted (udisks, mount, a stick pulled).
// Each change is compared with the drives known before and reported from
// the event loop.
class MountWatcher final : public QObject {
    Q_OBJECT
public:
    explicit MountWatcher(QObject* parent = nullptr);
    ~MountWatcher() override;

    // Compares the system's drives with the last known ones now (also what
    // a mount change does).
    void Check();

signals:
    void DriveArrived(const tamberline::Drive& drive);
    void DriveRemoved(const tamberline::Drive& drive);

private:
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<Drive> known_;
};

}  // namespace tamberline
