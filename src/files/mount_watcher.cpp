#include "files/mount_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>

namespace tamberline {

namespace {

bool Contains(const std::vector<Drive>& drives, const Drive& drive) {
    return std::any_of(drives.begin(), drives.end(),
                       [&drive](const Drive& d) { return d.root == drive.root; });
}

}  // namespace

MountWatcher::MountWatcher(QObject* parent) : QObject(parent), known_(SystemDrives()) {
    fd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    // A mount table change shows as an exceptional condition (POLLPRI).
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Exception);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        // The mark is cleared by reading the table again from its start.
        char buffer[4096];
        ::lseek(fd_, 0, SEEK_SET);
        while (::read(fd_, buffer, sizeof buffer) > 0) {
        }
        QMetaObject::invokeMethod(this, &MountWatcher::Check, Qt::QueuedConnection);
    });
}

MountWatcher::~MountWatcher() {
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void MountWatcher::Check() {
    const std::vector<Drive> now = SystemDrives();
    const std::vector<Drive> before = std::exchange(known_, now);
    for (const Drive& drive : before) {
        if (!Contains(now, drive)) {
            emit DriveRemoved(drive);
        }
    }
    for (const Drive& drive : now) {
        if (!Contains(before, drive)) {
            emit DriveArrived(drive);
        }
    }
}

}  // namespace tamberline
