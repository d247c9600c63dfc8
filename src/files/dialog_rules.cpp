#include "files/dialog_rules.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

#include "base/message_box.h"
#include "base/path_parts.h"
#include "session/button_record.h"
#include "session/session_file.h"

namespace tamberline {

namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& tail) {
    if (tail.size() > text.size()) {
        return false;
    }
    return std::equal(tail.rbegin(), tail.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

std::string WithDefaultExtension(const std::string& name, const std::string& pattern) {
    const std::string extension = pattern.empty() ? std::string() : pattern.substr(1);
    if (extension.empty() || extension == ".*" || EndsWithIgnoringCase(name, extension)) {
        return name;
    }
    return name + extension;
}

bool ConfirmReplace(MessageBox& box, const std::string& folder, const std::string& name) {
    const std::string path = folder + name;
    if (::access(path.c_str(), F_OK) != 0) {
        return true;
    }
    // Read-only is the file's own state: no write bit, whoever asks (root
    // may write it anyway, and the operator must still be told).
    struct stat st {};
    const bool noWriteBits =
        ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (noWriteBits || ::access(path.c_str(), W_OK) != 0) {
        box.Show(name + "\n\nFile already exists,\nand is set ReadOnly.", mb::kOk | mb::kIconStop);
    }
    return box.Show(name + "\n\nFile already exists.\nDo you want to replace it?",
                    mb::kYesNo | mb::kIconQuestion | mb::kDefault2) == kResultYes;
}

bool IsPlaylistName(const std::string& name) {
    static constexpr std::array<const char*, 6> kEndings = {"ASX", "WAX", "WVX",
                                                            "WPL", "M3U", "SMIL"};
    return std::any_of(kEndings.begin(), kEndings.end(),
                       [&name](const char* end) { return EndsWithIgnoringCase(name, end); });
}

bool SessionHasFolderStructure(const std::string& path) {
    auto records = std::make_unique<RecordArray>();
    FileStamp stamp;
    int error = 0;
    if (ReadSessionFile(path, *records, stamp, error) != SessionReadResult::kOk) {
        return false;
    }
    return std::any_of(records->begin(), records->end(), [](const ButtonRecord& record) {
        const std::string_view sample = PathOf(record);
        return sample.size() > 1 && std::any_of(sample.begin() + 1, sample.end(), IsPathSeparator);
    });
}

std::string NameRefusal(const std::string& name) {
    if (name == "." || name == ".." || name.find('/') != std::string::npos) {
        return name + "\n\nA name cannot contain \"/\" nor be \".\" or \"..\".";
    }
    return {};
}

bool IsTooLongForPathField(const std::string& path) {
    return path.size() >= kPathSize;
}

std::string TooLongMessage(const std::string& path) {
    return path + "\n\nThis path is longer than " + std::to_string(kPathSize - 1) + " characters.";
}

}  // namespace tamberline
