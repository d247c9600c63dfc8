#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace tamberline {

// One inotify instance watching a set of folders (each without its
// subfolders). Events are read from the owning thread's event loop, so
// nothing ever blocks waiting for them; each read hands over one batch.
class InotifyWatch final : public QObject {
    Q_OBJECT
public:
    struct Event {
        std::string folder;  // the watched folder, ending in '/'
        uint32_t mask = 0;
        std::string name;  // the entry inside it; empty for the folder itself
    };
    using Handler = std::function<void(const std::vector<Event>&)>;

    InotifyWatch(uint32_t mask, Handler handler);
    ~InotifyWatch() override;

    // False when the folder cannot be watched (gone, unreadable, no more
    // watches allowed).
    bool Add(const std::string& folder);
    // Watches exactly these folders from now on.
    void SetFolders(const std::vector<std::string>& folders);
    void Clear();
    bool Empty() const { return folders_.empty(); }
    std::vector<std::string> Folders() const;

private:
    bool Open();
    void OnReadable();

    uint32_t mask_;
    Handler handler_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<int, std::string> folders_;  // watch descriptor -> folder
    unsigned generation_ = 0;
};

}  // namespace tamberline
