#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

// What the check after a load found: buttons (0-based) whose file is
// missing, marked STATUS_LOST, and whose file changed size, marked
// STATUS_EDITED. The marks stay until EndSampleCheck.
struct SampleCheckResult {
    std::vector<int> lost;
    std::vector<int> edited;
    bool Empty() const { return lost.empty() && edited.empty(); }
};

// Marks every assigned button whose file is gone or has another size than
// the one stored, and stores the current size of every file still there.
// A stored size of 0 never counts as changed.
SampleCheckResult CheckSamples(RecordArray& records);

// Ends the marks: a button still lost is emptied when `clearLost`, else
// assigned again; an edited one is assigned again. Gives the emptied buttons.
std::vector<int> EndSampleCheck(RecordArray& records, bool clearLost);

// The file name of a sample's path; a path written on Windows
// ("D:\Show\intro.wav") separates with backslashes.
std::string_view SampleFileName(std::string_view path);

// The lines the lost-sample list shows, one string per line.
std::vector<std::string> SampleCheckLines(const RecordArray& records,
                                          const SampleCheckResult& result);

}  // namespace tamberline
