#include "session/session_folder_watcher.h"

#include <QTimer>

#include <sys/inotify.h>
#include <unistd.h>

#include <QMetaObject>
#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace tamberline {

namespace {

// The last-write changes of the folder's files, including a file renamed
// into place by an atomic save.
constexpr uint32_t kWatchMask =
    IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;

}  // namespace

SessionFolderWatcher::SessionFolderWatcher(std::function<void()> onChange)
    : onChange_(std::move(onChange)) {}

SessionFolderWatcher::~SessionFolderWatcher() {
    Stop();
}

bool SessionFolderWatcher::Start(const std::string& folder) {
    Stop();
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (::inotify_add_watch(fd, folder.c_str(), kWatchMask) < 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SessionFolderWatcher::OnReadable);
    return true;
}

void SessionFolderWatcher::Stop() {
    ++generation_;
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.reset();
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void SessionFolderWatcher::OnReadable() {
    alignas(inotify_event) std::array<char, 4096> buffer;
    bool changed = false;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) {
            changed = true;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        break;
    }
    if (changed) {
        QueueReport();
    }
}

void SessionFolderWatcher::ReportAgain(int delayMs) {
    if (IsRunning()) {
        QueueReport(delayMs);
    }
}

// Reported from the event loop, never from inside the notifier, so the
// handler may stop and restart this watcher.
void SessionFolderWatcher::QueueReport(int delayMs) {
    const unsigned generation = generation_;
    QTimer::singleShot(delayMs, this, [this, generation] {
        if (generation == generation_) {
            onChange_();
        }
    });
}

}  // namespace tamberline
