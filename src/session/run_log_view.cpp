#include "session/run_log_view.h"

#include <QFile>
#include <cstring>

namespace tamberline {

namespace {
constexpr size_t kLogColumns = 5;
}  // namespace

bool RunLogLines::Load(const std::string& path) {
    Clear();
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    text_ = file.readAll().toStdString();
    // The heading is the first line; entries follow.
    const char* begin = text_.data();
    const char* end = begin + text_.size();
    const char* at = static_cast<const char*>(std::memchr(begin, '\n', text_.size()));
    while (at && at + 1 < end) {
        starts_.push_back(static_cast<size_t>(at + 1 - begin));
        at = static_cast<const char*>(std::memchr(at + 1, '\n', static_cast<size_t>(end - at - 1)));
    }
    return true;
}

void RunLogLines::Clear() {
    text_.clear();
    text_.shrink_to_fit();
    starts_.clear();
    starts_.shrink_to_fit();
}

std::vector<std::string> RunLogLines::Cells(size_t line) const {
    std::vector<std::string> cells;
    if (line >= starts_.size()) {
        return cells;
    }
    size_t from = starts_[line];
    size_t to = line + 1 < starts_.size() ? starts_[line + 1] : text_.size();
    while (to > from && (text_[to - 1] == '\n' || text_[to - 1] == '\r')) {
        --to;
    }
    while (cells.size() < kLogColumns) {
        const size_t tab = text_.find('\t', from);
        if (tab == std::string::npos || tab >= to) {
            if (from < to) {
                cells.push_back(text_.substr(from, to - from));
            }
            break;
        }
        cells.push_back(text_.substr(from, tab - from));
        from = tab + 1;
    }
    return cells;
}

}  // namespace tamberline
