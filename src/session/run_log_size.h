#pragma once

#include <cstdint>
#include <string>

#include "base/console_part.h"
#include "session/run_log.h"

namespace tamberline {

class FileDialog;
class MessageBox;

// The heading and 40,000 entries: one line more and the log is full.
inline constexpr int64_t kRunLogFullLines = 40'001;

// Lines of the file at `path`, counted no further than `limit`; a last line
// without its line end counts too. 0 when the file cannot be read.
int64_t CountLines(const std::string& path, int64_t limit);

// At exit: a full log is saved away under another name or deleted, as the
// operator chooses. False keeps the program running.
bool CheckRunLogSize(RunLog& log, MessageBox& box, FileDialog& dialog, const LocalDateTime& today);

// The run log's share of the exit.
class RunLogPart final : public ConsolePart {
public:
    RunLogPart(RunLog& log, MessageBox& box, FileDialog& dialog)
        : log_(log), box_(box), dialog_(dialog) {}
    bool Exit(ExitStep step) override;

private:
    RunLog& log_;
    MessageBox& box_;
    FileDialog& dialog_;
};

}  // namespace tamberline
