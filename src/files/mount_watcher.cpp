#include "files/mount_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QSocketNotifier>
#include <algorithm>

namespace tamberline {

namespace {

bool Contains(const std::vector<Drive>& drives, const Drive& drive) {
    return std::any_of(drives.begin(), drives.end(),
                       [&drive](const Drive& d) { return d.root == drive.root; });
}

bool Contains(const std::vector<std::string>& shares, const std::string& share) {
    return std::find(shares.begin(), shares.end(), share) != shares.end();
}

}  // namespace

MountWatcher::MountWatcher(QObject* parent, std::string mountInfo)
    : QObject(parent), mountInfo_(std::move(mountInfo)) {
    const std::string text = ReadWholeFile(mountInfo_);
    known_ = ReadDrives(text);
    shares_ = NetworkSharesFromMountInfo(text, SubfolderNames);
    fd_ = ::open(mountInfo_.c_str(), O_RDONLY | O_CLOEXEC);
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

std::vector<Drive> MountWatcher::ReadDrives(const std::string& text) const {
    return DrivesFromMountInfo(text, QDir::homePath().toStdString());
}

void MountWatcher::Check() {
    const std::string text = ReadWholeFile(mountInfo_);
    const std::vector<Drive> now = ReadDrives(text);
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
    const std::vector<std::string> shares = NetworkSharesFromMountInfo(text, SubfolderNames);
    const std::vector<std::string> sharesBefore = std::exchange(shares_, shares);
    for (const std::string& share : sharesBefore) {
        if (!Contains(shares, share)) {
            emit ShareRemoved(share);
        }
    }
    for (const std::string& share : shares) {
        if (!Contains(sharesBefore, share)) {
            emit ShareArrived(share);
        }
    }
}

}  // namespace tamberline
