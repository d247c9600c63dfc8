#pragma once

#include <array>
#include <string>

namespace tamberline {

class Registry;

inline constexpr int kRecentCount = 6;

// The six most recent sessions, newest first, kept in the settings as
// "MRU1".."MRU6" (entry i under number i + 1).
class RecentList {
  public:
    explicit RecentList(Registry& registry) : registry_(registry) {}

    const std::string& Entry(int index) const { return entries_.at(static_cast<size_t>(index)); }
    const std::array<std::string, kRecentCount>& Entries() const { return entries_; }

    // Puts `path` at the top: an entry naming it (in any case) is taken out,
    // else the oldest drops off. All six values are written.
    void AddToTop(const std::string& path);

    // Keeps only the current session (entry 0).
    void Clear();

    // A session that failed to open leaves the list shown; its stored value
    // stays until the list is next written.
    void Hide(int index);

    // Start-up: the list as stored, without files that are gone (their
    // values are written empty) or that are not session files, and without
    // `commandLineSession`, which goes on top when given. Returns the path of
    // "MRU1" when that file is gone and no command-line session was given.
    std::string Rebuild(const std::string& commandLineSession);

  private:
    void Store(int index);

    Registry& registry_;
    std::array<std::string, kRecentCount> entries_;
};

}  // namespace tamberline
