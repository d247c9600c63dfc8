#include "session/lost_samples.h"

#include <sys/stat.h>

#include <string>

namespace tamberline {

namespace {

// The size of the file at `path`, or -1 when there is no such file.
long long FileSizeAt(std::string_view path) {
    struct stat info {};
    const std::string text(path);
    if (text.empty() || ::stat(text.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return -1;
    }
    return static_cast<long long>(info.st_size);
}

std::string Numbered(int button, std::string_view path) {
    return std::to_string(button + 1) + ". " + std::string(path);
}

}  // namespace

SampleCheckResult CheckSamples(RecordArray& records) {
    SampleCheckResult result;
    for (int button = 0; button < kButtonCount; ++button) {
        ButtonRecord& record = records[static_cast<size_t>(button)];
        if (!IsAssigned(record)) {
            continue;
        }
        const long long size = FileSizeAt(PathOf(record));
        if (size < 0) {
            record.status = STATUS_LOST;
            result.lost.push_back(button);
            continue;
        }
        // The stored size is 32 bits; a larger file is stored cut, as it
        // always was, and compares the same way on the next load.
        const auto current = static_cast<int32_t>(static_cast<uint32_t>(size));
        if (record.fileSize > 0 && record.fileSize != current) {
            record.status = STATUS_EDITED;
            result.edited.push_back(button);
        }
        record.fileSize = current;
    }
    return result;
}

std::vector<int> EndSampleCheck(RecordArray& records, bool clearLost) {
    std::vector<int> cleared;
    for (int button = 0; button < kButtonCount; ++button) {
        ButtonRecord& record = records[static_cast<size_t>(button)];
        if (record.status == STATUS_LOST && clearLost) {
            record = ButtonRecord{};
            cleared.push_back(button);
        } else if (record.status == STATUS_LOST || record.status == STATUS_EDITED) {
            record.status = STATUS_ASSIGNED;
        }
    }
    return cleared;
}

std::string_view SampleFileName(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> SampleCheckLines(const RecordArray& records,
                                          const SampleCheckResult& result) {
    std::vector<std::string> lines;
    if (!result.lost.empty()) {
        lines.emplace_back("These samples were not found:");
        lines.emplace_back();
        for (int button : result.lost) {
            lines.push_back(Numbered(button, PathOf(records[static_cast<size_t>(button)])));
        }
        lines.emplace_back();
        lines.emplace_back();
    }
    if (!result.edited.empty()) {
        lines.emplace_back("These samples have been edited since they were last used:");
        lines.emplace_back();
        for (int button : result.edited) {
            lines.push_back(Numbered(button, PathOf(records[static_cast<size_t>(button)])));
        }
    }
    return lines;
}

}  // namespace tamberline
