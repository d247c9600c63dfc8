#include "session/run_log.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <ctime>
#include <string>

#include "base/one_line_text.h"
#include "base/path_parts.h"

namespace tamberline {

LocalDateTime LocalDateTime::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string RunLogRuntime(uint32_t ms) {
    uint64_t rounded = ms < 1000 ? 1000 : (uint64_t{ms} + 499) / 500 * 500;
    char text[32];
    if (rounded >= 3'600'000) {
        // From one hour on, a started second counts (3,600,500 ms is 1:00:01).
        const uint64_t seconds = (rounded + 999) / 1000;
        std::snprintf(text, sizeof text, "%d:%02d:%02d", static_cast<int>(seconds / 3600),
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    } else {
        const uint64_t seconds = rounded / 1000;
        std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(seconds / 60),
                      static_cast<int>(seconds % 60));
    }
    return text;
}

RunLog::RunLog(std::string documentsFolder) : folder_(std::move(documentsFolder)) {}

std::string RunLog::Path() const {
    return folder_ + "/" + kRunLogName;
}

void RunLog::NoteSessionLoaded(const std::string& sessionPath, const LocalDateTime& loadTime) {
    std::lock_guard lock(mutex_);
    sessionHeaderPending_ = true;
    sessionName_ = StripExtension(FileNamePart(sessionPath));
    loadTime_ = loadTime;
}

void RunLog::NoteLogDeleted() {
    std::lock_guard lock(mutex_);
    sessionHeaderPending_ = true;
}

bool RunLog::SessionHeaderPending() const {
    std::lock_guard lock(mutex_);
    return sessionHeaderPending_;
}

std::string RunLog::PendingSessionField() const {
    std::lock_guard lock(mutex_);
    return SessionField();
}

std::string RunLog::SessionField() const {
    if (!sessionHeaderPending_) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d  ", loadTime_.day,
                  loadTime_.month, loadTime_.year, loadTime_.hour, loadTime_.minute,
                  loadTime_.second);
    return text + OneLineText(sessionName_);
}

void RunLog::AppendRunLogLine(RunLogEntry& entry, const std::string& caption) {
    if (entry.runMs == 0) {
        entry = {};
        return;
    }
    std::lock_guard lock(mutex_);
    QDir().mkpath(QString::fromStdString(folder_));
    QFile file(QString::fromStdString(Path()));
    if (file.open(QIODevice::ReadWrite)) {
        std::string text;
        if (file.size() == 0) {
            text = kRunLogHeading;
        }
        char start[16];
        std::snprintf(start, sizeof start, "%02d:%02d:%02d", entry.start.hour, entry.start.minute,
                      entry.start.second);
        // A blank for every line break or tab keeps one entry on one line
        // and its fields in their columns.
        const std::string fileName = OneLineText(FileNamePart(entry.fileName));
        text += SessionField() + "\t" + fileName + "\t" + OneLineText(caption) + "\t" + start +
                "\t" + RunLogRuntime(entry.runMs) + "\t\n";
        if (entry.underruns > 0) {
            text += "\t" + fileName + "\tUnderruns: " + std::to_string(entry.underruns) + "\t" +
                    start + "\t\t\n";
        }
        // The log is a text file with CR LF line ends.
        std::string crlf;
        crlf.reserve(text.size() + 8);
        for (char c : text) {
            if (c == '\n') {
                crlf += '\r';
            }
            crlf += c;
        }
        if (file.seek(file.size()) && file.write(crlf.data(), static_cast<qint64>(crlf.size())) ==
                                          static_cast<qint64>(crlf.size())) {
            sessionHeaderPending_ = false;
        }
    }
    entry = {};
}

}  // namespace tamberline
