#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamberline {

// The system's index of file names: the locate database. Its existence
// stands for the search service running; the queries are a prefix match of
// file names (at most 200 rows) for Dig and an exact name for the lost
// sample search, both kept to existing files on fixed drives.
class SearchIndex {
public:
    static constexpr const char* kSystemDatabase = "/var/lib/plocate/plocate.db";
    static constexpr int kPrefixRows = 200;

    enum class Result { kFound, kNone, kFailed };

    // `fixedDrive` tells whether a path lies on a fixed drive (the system's
    // mounts when empty).
    explicit SearchIndex(std::string database = kSystemDatabase, std::string program = "plocate",
                         std::function<bool(const std::string&)> fixedDrive = {});

    bool IsRunning() const;
    // Files whose name begins with `term`, without regard to case.
    Result FindByPrefix(const std::string& term, std::vector<std::string>& paths) const;
    // Files named exactly `name`, without regard to case.
    Result FindByName(const std::string& name, std::vector<std::string>& paths) const;

private:
    Result Query(const std::string& pattern, int rows, std::vector<std::string>& paths) const;

    std::string database_;
    std::string program_;
    std::function<bool(const std::string&)> fixedDrive_;
};

// A basic regular expression matching `text` literally.
std::string LiteralPattern(const std::string& text);

}  // namespace tamberline

namespace tamberline {

class MessageBox;

// Dig: the checks and messages around a prefix search. True with the
// paths found; false when a message was shown instead (`clearTerm` true
// when the search box is to be emptied).
bool DigForFiles(const SearchIndex* index, MessageBox& box, const std::string& term,
                 std::vector<std::string>& paths, bool& clearTerm);

}  // namespace tamberline
