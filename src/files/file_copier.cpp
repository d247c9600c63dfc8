#include "files/file_copier.h"

#include <cerrno>
#include <filesystem>

#include "base/path_parts.h"

namespace tamberline {

namespace fs = std::filesystem;

std::vector<CopyFailure> PlainFileCopier::Copy(const std::vector<std::string>& files,
                                               const std::string& folder,
                                               const CopyProgress& progress) {
    std::vector<CopyFailure> failures;
    for (size_t i = 0; i < files.size(); ++i) {
        if (progress && !progress(i, files.size())) {
            return failures;
        }
        const std::string& source = files[i];
        const std::string target = folder + FileNamePart(source);
        std::error_code error;
        if (fs::exists(fs::symlink_status(target, error))) {
            failures.push_back({target, EEXIST});
            continue;
        }
        const std::string partial = target + ".part";
        if (!fs::copy_file(source, partial, fs::copy_options::overwrite_existing, error)) {
            fs::remove(partial, error);
            failures.push_back({source, error ? error.value() : EIO});
            continue;
        }
        fs::rename(partial, target, error);
        if (error) {
            failures.push_back({target, error.value()});
            fs::remove(partial, error);
        }
    }
    if (progress) {
        progress(files.size(), files.size());
    }
    return failures;
}

}  // namespace tamberline
