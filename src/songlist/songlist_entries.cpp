#include "songlist/songlist_entries.h"

#include <algorithm>

#include "base/path_parts.h"
#include "songlist/media_length.h"
#include "songlist/playlist_reader.h"
#include "songlist/songlist_file.h"

namespace tamberline {

namespace {

constexpr const char* kNotFound = "    *File not found*";

}  // namespace

std::vector<std::string> SonglistEntries::Paths() const {
    std::vector<std::string> paths;
    paths.reserve(entries_.size());
    for (const SonglistEntry& entry : entries_) {
        paths.push_back(entry.path);
    }
    return paths;
}

void SonglistEntries::Set(const std::vector<std::string>& paths) {
    Clear();
    entries_.reserve(paths.size());
    for (const std::string& path : paths) {
        Insert(entries_.size(), path);
        entries_.back().candidate = false;
    }
}

void SonglistEntries::Insert(size_t at, const std::string& path) {
    SonglistEntry entry;
    entry.path = path;
    entry.candidate = true;
    // A songlist inside a songlist would play nothing (or itself), and a
    // name the M3U cannot carry would vanish at the next open.
    if (IsPlaylistFile(path) || !SurvivesSonglist(path)) {
        entry.measured = true;
    } else if (const auto found = known_.find(path); found != known_.end()) {
        entry.measured = true;
        entry.lengthMs = found->second;
    }
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

SonglistEntries::Arrival SonglistEntries::AddAfterSelection(const std::vector<std::string>& paths,
                                                            const std::set<int>& selected) {
    size_t at = selected.empty() ? entries_.size()
                                 : std::min(entries_.size(), size_t(*selected.rbegin()) + 1);
    for (const std::string& path : paths) {
        Insert(at++, path);
    }
    return Settle(nullptr);
}

SonglistEntries::Arrival SonglistEntries::AddBeforeSelection(const std::vector<std::string>& paths,
                                                             const std::set<int>& selected) {
    if (selected.empty()) {
        return AddAfterSelection(paths, selected);
    }
    const size_t at = std::min(entries_.size(), size_t(*selected.rbegin()));
    for (const std::string& path : paths) {
        Insert(at, path);
    }
    return Settle(nullptr);
}

void SonglistEntries::Remove(const std::set<int>& selected) {
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (*it >= 0 && size_t(*it) < entries_.size()) {
            entries_.erase(entries_.begin() + *it);
        }
    }
}

std::set<int> SonglistEntries::MoveUp(const std::set<int>& selected) {
    std::set<int> now = selected;
    for (int row : selected) {
        if (row > 0 && size_t(row) < entries_.size() && !now.count(row - 1)) {
            std::swap(entries_[size_t(row) - 1], entries_[size_t(row)]);
            now.erase(row);
            now.insert(row - 1);
        }
    }
    return now;
}

std::set<int> SonglistEntries::MoveDown(const std::set<int>& selected) {
    std::set<int> now = selected;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        const int row = *it;
        if (row >= 0 && size_t(row) + 1 < entries_.size() && !now.count(row + 1)) {
            std::swap(entries_[size_t(row)], entries_[size_t(row) + 1]);
            now.erase(row);
            now.insert(row + 1);
        }
    }
    return now;
}

void SonglistEntries::Clear() {
    entries_.clear();
    // The measurements asked for may have been dropped with the old list.
    asked_.clear();
}

std::vector<std::string> SonglistEntries::TakeUnmeasured() {
    std::vector<std::string> paths;
    for (const SonglistEntry& entry : entries_) {
        if (!entry.measured && asked_.insert(entry.path).second) {
            paths.push_back(entry.path);
        }
    }
    return paths;
}

SonglistEntries::Arrival SonglistEntries::LengthArrived(const std::string& path, int32_t lengthMs) {
    const int32_t length = RoundUpToHalfSecond(lengthMs);
    known_[path] = length;
    asked_.erase(path);
    for (SonglistEntry& entry : entries_) {
        if (entry.path == path) {
            entry.measured = true;
            entry.lengthMs = length;
        }
    }
    return Settle(&path);
}

SonglistEntries::Arrival SonglistEntries::Settle(const std::string* arrived) {
    Arrival arrival;
    size_t kept = 0;
    for (size_t row = 0; row < entries_.size(); ++row) {
        SonglistEntry& entry = entries_[row];
        if (entry.candidate && entry.measured) {
            if (entry.lengthMs == 0) {
                arrival.rejected.push_back(entry.path);
                arrival.rowsRemoved = true;
                continue;
            }
            entry.candidate = false;
            arrival.keptCandidate = true;
        }
        if (arrived && entry.path == *arrived) {
            arrival.changedRows.push_back(static_cast<int>(kept));
        }
        if (kept != row) {
            entries_[kept] = std::move(entry);
        }
        ++kept;
    }
    entries_.resize(kept);
    return arrival;
}

void SonglistEntries::Remeasure(const std::string& path) {
    if (IsPlaylistFile(path) || !SurvivesSonglist(path)) {
        return;
    }
    known_.erase(path);
    asked_.erase(path);
    for (SonglistEntry& entry : entries_) {
        if (entry.path == path) {
            entry.measured = false;
        }
    }
}

bool SonglistEntries::Settled() const {
    return std::none_of(entries_.begin(), entries_.end(),
                        [](const SonglistEntry& entry) { return entry.candidate; });
}

bool SonglistEntries::AllMeasured() const {
    return std::all_of(entries_.begin(), entries_.end(),
                       [](const SonglistEntry& entry) { return entry.measured; });
}

int64_t SonglistEntries::TotalMs() const {
    int64_t total = 0;
    for (const SonglistEntry& entry : entries_) {
        total += entry.measured ? entry.lengthMs : 0;
    }
    return total;
}

std::string SonglistEntries::LineText(size_t row, bool detail) const {
    if (row >= entries_.size()) {
        return {};
    }
    const SonglistEntry& entry = entries_[row];
    std::string text = detail ? entry.path : FileNamePart(entry.path);
    if (entry.measured && entry.lengthMs == 0) {
        text += kNotFound;
    }
    return text;
}

bool SameSonglist(const std::vector<std::string>& inFile, const std::vector<std::string>& edited) {
    return inFile == edited;
}

}  // namespace tamberline
