#include "files/inotify_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "files/drives.h"

namespace tamberline {

InotifyWatch::InotifyWatch(uint32_t mask, Handler handler)
    : mask_(mask | IN_ONLYDIR), handler_(std::move(handler)) {}

InotifyWatch::~InotifyWatch() {
    Clear();
}

bool InotifyWatch::Open() {
    if (fd_ >= 0) {
        return true;
    }
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &InotifyWatch::OnReadable);
    return true;
}

bool InotifyWatch::Add(const std::string& folder) {
    if (!Open()) {
        return false;
    }
    const int wd = ::inotify_add_watch(fd_, folder.c_str(), mask_);
    if (wd < 0) {
        return false;
    }
    folders_[wd] = WithTrailingSlash(folder);
    return true;
}

void InotifyWatch::SetFolders(const std::vector<std::string>& folders) {
    std::set<std::string> wanted;
    for (const std::string& folder : folders) {
        wanted.insert(WithTrailingSlash(folder));
    }
    for (auto it = folders_.begin(); it != folders_.end();) {
        if (wanted.erase(it->second) == 0) {
            ::inotify_rm_watch(fd_, it->first);
            it = folders_.erase(it);
        } else {
            ++it;
        }
    }
    for (const std::string& folder : wanted) {
        Add(folder);
    }
}

void InotifyWatch::Clear() {
    ++generation_;
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    folders_.clear();
}

std::vector<std::string> InotifyWatch::Folders() const {
    std::vector<std::string> out;
    for (const auto& [wd, folder] : folders_) {
        out.push_back(folder);
    }
    return out;
}

void InotifyWatch::OnReadable() {
    alignas(inotify_event) char buffer[16384];
    std::vector<Event> events;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        // The kernel hands over whole events only; still, never read past
        // what arrived.
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            inotify_event header;
            std::memcpy(&header, buffer + at, sizeof header);
            const ssize_t size = static_cast<ssize_t>(sizeof header + header.len);
            if (at + size > n) {
                break;
            }
            Event event;
            event.mask = header.mask;
            const auto folder = folders_.find(header.wd);
            if (folder != folders_.end()) {
                event.folder = folder->second;
                if (header.mask & IN_IGNORED) {
                    folders_.erase(folder);  // the kernel dropped the watch
                }
            }
            if (header.len > 0) {
                const char* name = buffer + at + sizeof header;
                event.name.assign(name, ::strnlen(name, header.len));
            }
            events.push_back(std::move(event));
            at += size;
        }
    }
    if (events.empty()) {
        return;
    }
    // Handed over from the event loop, never from inside the notifier, so
    // the handler may stop or move this watch; a batch still queued when
    // the watch is cleared is dropped.
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, batch = std::move(events)] {
            if (generation == generation_) {
                handler_(batch);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace tamberline
