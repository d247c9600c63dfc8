#include "session/archive/dropped_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <utility>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "session/archive/copy_control.h"
#include "session/archive/copy_plan.h"
#include "session/archive/copy_runner.h"

namespace tamberline {

namespace {

constexpr double kKb = 1024.0;
constexpr double kMb = kKb * 1024.0;
constexpr double kGb = kMb * 1024.0;

bool IsFolderPath(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ReplaceQuestion(const std::string& name, const FileFacts& existing,
                            const FileFacts& dropped) {
    return name + "\nAlready exists in this folder.\n\n" + "Replace the existing file\n" +
           SizeText(existing.size) + DateText(existing.mtime) + "\n\n" + "With this one?\n" +
           SizeText(dropped.size) + DateText(dropped.mtime) + "\n\n";
}

}  // namespace

std::string SizeText(int64_t bytes) {
    const auto size = static_cast<double>(bytes);
    char text[64];
    if (size > kGb) {
        std::snprintf(text, sizeof text, "    %.02f Gb", size / kGb);
    } else if (size > kMb) {
        std::snprintf(text, sizeof text, "    %.02f Mb", size / kMb);
    } else if (size > kKb) {
        std::snprintf(text, sizeof text, "    %.02f kb", size / kKb);
    } else {
        return {};
    }
    return text;
}

std::string DateText(std::time_t modified) {
    std::tm local{};
    ::localtime_r(&modified, &local);
    char text[96];
    const size_t length = std::strftime(text, sizeof text, " modified: %d %B %Y, %H:%M:%S", &local);
    return std::string(text, length);
}

void DroppedFilesCopier::CopyInto(const std::vector<std::string>& files, const std::string& folder,
                                  const std::function<void()>& fileCopied) {
    std::vector<std::pair<std::string, std::string>> copies;
    bool replaceAll = false;
    for (const std::string& file : files) {
        if (IsFolderPath(file)) {
            continue;
        }
        const std::string name = FileNamePart(file);
        const std::string destination = folder + name;
        const std::optional<FileFacts> dropped = FactsOf(file);
        const std::optional<FileFacts> existing = FactsOf(destination);
        if (dropped && existing) {
            if (dropped->size == existing->size && dropped->mtime == existing->mtime) {
                continue;  // the same file is there already
            }
            if (!replaceAll) {
                const int answer = box_.Show(ReplaceQuestion(name, *existing, *dropped),
                                             mb::kYesYesToAllNoCancel | mb::kIconQuestion);
                if (answer == kResultNo) {
                    continue;
                }
                if (answer != kResultYes && answer != kResultYesToAll) {
                    return;
                }
                replaceAll = answer == kResultYesToAll;
            }
        }
        copies.emplace_back(file, destination);
    }
    if (copies.empty()) {
        return;
    }
    const CopyOutcome outcome = runner_.Run(
        CopyCaption(CopyMode::kDroppedFiles, copies.size()),
        [copies](CopyControl& control) { return RunFileCopies(copies, control); }, fileCopied);
    if (outcome.kind == CopyOutcome::Kind::kFailed) {
        box_.Show(outcome.failure, mb::kOk | mb::kIconStop);
    }
    if (!outcome.skipped.empty()) {
        box_.Show(SkippedFilesReport(outcome.skipped), mb::kOk | mb::kIconExclamation);
    }
}

}  // namespace tamberline
