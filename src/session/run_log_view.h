#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tamberline {

// The run log as the Session Info dialog lists it: every line after the
// heading, split at its tabs into at most five cells. The text is kept
// whole and split only for the rows shown, so a log of many megabytes
// opens at once.
class RunLogLines {
public:
    // False when the file cannot be read (a missing log shows no rows).
    bool Load(const std::string& path);
    void Clear();

    size_t Count() const { return starts_.size(); }
    std::vector<std::string> Cells(size_t line) const;

private:
    std::string text_;
    std::vector<size_t> starts_;  // where each entry's line begins
};

}  // namespace tamberline
