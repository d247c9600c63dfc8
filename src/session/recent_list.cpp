#include "session/recent_list.h"

#include <QString>

#include "session/button_record.h"
#include "session/disk_file.h"
#include "session/registry.h"

namespace tamberline {

namespace {

StringSetting ValueName(int index) {
    return settings::RecentSession(index + 1);
}

bool SamePath(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

void RecentList::AddToTop(const std::string& path) {
    int from = kRecentCount - 1;
    for (int i = 0; i < kRecentCount; ++i) {
        if (SamePath(entries_[static_cast<size_t>(i)], path)) {
            from = i;
            break;
        }
    }
    for (int i = from; i > 0; --i) {
        entries_[static_cast<size_t>(i)] = entries_[static_cast<size_t>(i - 1)];
    }
    entries_[0] = path;
    for (int i = 0; i < kRecentCount; ++i) {
        Store(i);
    }
}

void RecentList::Clear() {
    for (int i = 1; i < kRecentCount; ++i) {
        entries_[static_cast<size_t>(i)].clear();
        Store(i);
    }
}

void RecentList::Hide(int index) {
    if (index >= 0 && index < kRecentCount) {
        entries_[static_cast<size_t>(index)].clear();
    }
}

std::string RecentList::Rebuild(const std::string& commandLineSession) {
    entries_ = {};
    size_t kept = 0;
    if (!commandLineSession.empty()) {
        entries_[kept++] = commandLineSession;
    }
    std::string missingFirst;
    for (int i = 0; i < kRecentCount; ++i) {
        std::string path;
        if (!registry_.GetString(ValueName(i), path)) {
            continue;
        }
        const std::optional<int64_t> size = FileSize(path);
        if (!size) {
            registry_.SetString(ValueName(i), "");
            if (i == 0 && commandLineSession.empty()) {
                missingFirst = path;
            }
            continue;
        }
        if (*size == static_cast<int64_t>(kSessionFileSize) &&
            !SamePath(path, commandLineSession) && kept < entries_.size()) {
            entries_[kept++] = path;
        }
    }
    return missingFirst;
}

// Every store of a value rewrites the settings file: skip unchanged ones.
void RecentList::Store(int index) {
    const std::string& entry = entries_[static_cast<size_t>(index)];
    std::string stored;
    registry_.GetString(ValueName(index), stored);
    if (stored != entry) {
        registry_.SetString(ValueName(index), entry);
    }
}

}  // namespace tamberline
