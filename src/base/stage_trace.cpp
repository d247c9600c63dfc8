#include "base/stage_trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tamberline {

namespace {

// Opened once, on the first mark; -1 when no file is named.
int TraceFile() {
    static const int fd = [] {
        const char* path = std::getenv("TAMBERLINE_STAGE_TRACE");
        return path && *path ? ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644) : -1;
    }();
    return fd;
}

}  // namespace

void MarkStage(const char* stage, int button) {
    const int fd = TraceFile();
    if (fd < 0) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[96];
    const int length = std::snprintf(
        line, sizeof line, "%lld %s %d\n",
        static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000, stage, button);
    // One write per line: lines of several threads never mix.
    if (length > 0) {
        [[maybe_unused]] const ssize_t written = ::write(
            fd, line, static_cast<size_t>(std::min(length, static_cast<int>(sizeof line) - 1)));
    }
}

}  // namespace tamberline
