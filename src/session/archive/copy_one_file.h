#pragma once

#include <string>

namespace tamberline {

class CopyControl;

struct CopyFileResult {
    enum class Kind {
        kCopied,
        kSourceFailed,  // missing or unreadable: `error` tells which
        kCancelled,
        kWriteFailed,  // the destination could not be written; `path` names it
    };
    Kind kind = Kind::kCopied;
    int error = 0;
    std::string path;
};

// Copies `source` to `destination` in large blocks, through a hidden
// temporary name beside it that is renamed over the destination only when
// the copy is complete and on disk: a cancel, a full disk or a crash never
// leaves half a file, nor harms a file being replaced. Missing folders on
// the way are created. The copy gets the source's permissions and its
// access and modification times. Checks for cancellation after every block.
CopyFileResult CopyOneFile(const std::string& source, const std::string& destination,
                           CopyControl& control);

// Creates every missing folder of `folder`. 0 or the system error.
int CreateFolders(const std::string& folder);

}  // namespace tamberline
