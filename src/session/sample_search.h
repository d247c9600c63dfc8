#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

// Where lost samples are looked for: the locate database (its existence
// stands for a running index service), then the roots walked depth-first.
struct SampleSearchPlaces {
    std::string locateDatabase;
    std::vector<std::string> roots;
    // Hits of the index outside these file systems are not taken.
    std::function<bool(const std::string& path)> onFixedDrive;
};

// The system's index and its fixed drives: local, non-removable.
SampleSearchPlaces SystemSearchPlaces();

// The status line: "    Searching systemDB." then the folder being walked.
using SearchProgress = std::function<void(const std::string& status)>;

// Looks for every record marked STATUS_LOST by file name and size; a found
// record gets the file's path and STATUS_ASSIGNED. False when cancelled,
// with the records as far as the search came. Runs on any thread but the
// GUI's: the walk of a full disk takes minutes.
bool SearchLostSamples(RecordArray& records, const SampleSearchPlaces& places,
                       const std::atomic<bool>& cancel, const SearchProgress& progress);

// The paths the locate database holds whose file name is exactly `name`.
std::vector<std::string> LocateExactName(const std::string& database, std::string_view name);

// One search on a worker thread over its own copy of the records; `done`
// runs on that thread with the result. Cancel and the destructor stop the
// walk between two folder entries.
class SampleSearchJob {
public:
    using Done = std::function<void(bool finished, const RecordArray& records)>;
    SampleSearchJob(const RecordArray& records, SampleSearchPlaces places, SearchProgress progress,
                    Done done);
    ~SampleSearchJob();
    SampleSearchJob(const SampleSearchJob&) = delete;
    SampleSearchJob& operator=(const SampleSearchJob&) = delete;

    void Cancel() { cancel_.store(true, std::memory_order_relaxed); }

private:
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};

}  // namespace tamberline
