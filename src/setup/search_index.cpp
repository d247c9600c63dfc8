#include "setup/search_index.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include "base/message_box.h"
#include "files/drives.h"
#include "setup/setup_rules.h"

namespace tamberline {

namespace {

constexpr int kQueryTimeoutMs = 10'000;

bool OnFixedDrive(const std::string& path) {
    return DriveTypeOfPath(path) == DriveType::kFixed;
}

}  // namespace

SearchIndex::SearchIndex(std::string database, std::string program,
                         std::function<bool(const std::string&)> fixedDrive)
    : database_(std::move(database)),
      program_(std::move(program)),
      fixedDrive_(fixedDrive ? std::move(fixedDrive) : OnFixedDrive) {}

bool SearchIndex::IsRunning() const {
    return QFileInfo(QString::fromStdString(database_)).isFile();
}

std::string LiteralPattern(const std::string& text) {
    std::string pattern;
    for (char c : text) {
        if (c == '.' || c == '[' || c == ']' || c == '\\' || c == '*' || c == '^' || c == '$') {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern;
}

SearchIndex::Result SearchIndex::FindByPrefix(const std::string& term,
                                              std::vector<std::string>& paths) const {
    return Query("/" + LiteralPattern(term) + "[^/]*$", kPrefixRows, paths);
}

SearchIndex::Result SearchIndex::FindByName(const std::string& name,
                                            std::vector<std::string>& paths) const {
    return Query("/" + LiteralPattern(name) + "$", -1, paths);
}

SearchIndex::Result SearchIndex::Query(const std::string& pattern, int rows,
                                       std::vector<std::string>& paths) const {
    paths.clear();
    QProcess process;
    process.start(QString::fromStdString(program_),
                  {QStringLiteral("-d"), QString::fromStdString(database_), QStringLiteral("-i"),
                   QStringLiteral("-0"), QStringLiteral("-r"), QString::fromStdString(pattern)});
    if (!process.waitForFinished(kQueryTimeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return Result::kFailed;
    }
    // plocate answers 1 when nothing matched; anything else is a failure.
    if (process.exitCode() != 0) {
        return process.exitCode() == 1 && process.readAllStandardError().isEmpty()
                   ? Result::kNone
                   : Result::kFailed;
    }
    const QByteArray output = process.readAllStandardOutput();
    for (const QByteArray& line : output.split('\0')) {
        if (line.isEmpty()) {
            continue;
        }
        const std::string path = line.toStdString();
        // The index may be older than the disk.
        if (QFileInfo(QString::fromStdString(path)).isFile() && fixedDrive_(path)) {
            paths.push_back(path);
            if (rows > 0 && static_cast<int>(paths.size()) >= rows) {
                break;
            }
        }
    }
    return paths.empty() ? Result::kNone : Result::kFound;
}

}  // namespace tamberline

namespace tamberline {

bool DigForFiles(const SearchIndex* index, MessageBox& box, const std::string& term,
                 std::vector<std::string>& paths, bool& clearTerm) {
    paths.clear();
    clearTerm = false;
    if (!index || !index->IsRunning()) {
        box.Show("Digging is only available when the\nWindows Search Service is running.",
                 mb::kOk | mb::kIconStop);
        clearTerm = true;
        return false;
    }
    if (!IsValidSearchTerm(term)) {
        box.Show("Use no punctuation in a search term\nexcept for space or fullstop.",
                 mb::kOk | mb::kIconStop);
        clearTerm = true;
        return false;
    }
    switch (index->FindByPrefix(term, paths)) {
        case SearchIndex::Result::kFound: return true;
        case SearchIndex::Result::kNone:
            box.Show("No matching files found.\n\n", mb::kOk | mb::kIconExclamation);
            return false;
        case SearchIndex::Result::kFailed:
        default:
            box.Show("Windows Search Service\nnot running.\n", mb::kOk | mb::kIconStop);
            return false;
    }
}

}  // namespace tamberline
