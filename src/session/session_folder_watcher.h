#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace tamberline {

// Watches one folder (not its subfolders) for files written, created,
// replaced or touched, and reports each batch of changes on the thread that
// owns it, from its event loop. A report still queued when the watcher is
// stopped or moved is dropped.
class SessionFolderWatcher : public QObject {
    Q_OBJECT
public:
    explicit SessionFolderWatcher(std::function<void()> onChange);
    ~SessionFolderWatcher() override;

    // Stops a running watch first. False when the folder cannot be watched.
    bool Start(const std::string& folder);
    void Stop();
    bool IsRunning() const { return fd_ >= 0; }
    // Reports once more, after `delayMs` (at the next turn of the event loop
    // for 0), unless the watch is stopped before.
    void ReportAgain(int delayMs = 0);

private:
    void OnReadable();
    void QueueReport(int delayMs = 0);

    std::function<void()> onChange_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    unsigned generation_ = 0;
};

}  // namespace tamberline
