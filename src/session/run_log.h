#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace tamberline {

// Local date and time, as the run log stamps them.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    static LocalDateTime Now();
};

// What one button has played since it started: one line of the run log.
struct RunLogEntry {
    LocalDateTime start;
    uint32_t runMs = 0;
    std::string fileName;  // the path played; only its name part is logged
    // Times its sound ran dry while it played (a read slower than play).
    uint32_t underruns = 0;
};

inline constexpr const char* kRunLogName = "Tamberline_Logfile.txt";
inline constexpr const char* kRunLogHeading = "Session\tFilename\tCaption\tStart\tRuntime\t\n";

// The run time as the log shows it: at least 1000 ms, raised to a multiple
// of 500, then "m:ss", or "h:mm:ss" from one hour on.
std::string RunLogRuntime(uint32_t ms);

// The tab-separated log of what was played, in the documents folder. Lines
// are appended from the control thread while the GUI thread notes session
// loads, so both go through one small lock; file errors are swallowed.
class RunLog {
public:
    explicit RunLog(std::string documentsFolder);

    std::string Path() const;
    // The next entry carries the session heading.
    void NoteSessionLoaded(const std::string& sessionPath, const LocalDateTime& loadTime);
    // After the log was deleted: heading line and session heading again.
    void NoteLogDeleted();
    bool SessionHeaderPending() const;
    // The Session field the next entry will carry; empty when not pending.
    std::string PendingSessionField() const;

    // Writes one line unless nothing was played, and after it, for a sound
    // that ran dry, one line that says how often ("Underruns: 3" as its
    // caption, no run time); clears `entry` either way.
    void AppendRunLogLine(RunLogEntry& entry, const std::string& caption);

private:
    std::string SessionField() const;

    const std::string folder_;
    mutable std::mutex mutex_;
    bool sessionHeaderPending_ = false;
    std::string sessionName_;
    LocalDateTime loadTime_;
};

}  // namespace tamberline
