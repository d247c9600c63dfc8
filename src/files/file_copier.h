#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamberline {

// Told how many of the files are done; false stops the copy.
using CopyProgress = std::function<bool(size_t done, size_t total)>;

struct CopyFailure {
    std::string path;
    int error = 0;
};

// Copies files into a folder. The archive issue's copy engine takes the
// place of the plain copy behind this interface.
class FileCopier {
public:
    virtual ~FileCopier() = default;
    // A file whose name exists in `folder` already is not overwritten.
    virtual std::vector<CopyFailure> Copy(const std::vector<std::string>& files,
                                          const std::string& folder,
                                          const CopyProgress& progress) = 0;
};

// One file after the other, through a temporary name, so a cancelled or
// failed copy never leaves half a file under the real name.
class PlainFileCopier final : public FileCopier {
public:
    std::vector<CopyFailure> Copy(const std::vector<std::string>& files, const std::string& folder,
                                  const CopyProgress& progress) override;
};

}  // namespace tamberline
