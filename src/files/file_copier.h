#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamberline {

// Copies files dropped on a folder view into the folder shown. The copy
// engine's dropped-files mode stands behind it: it asks before replacing a
// file, shows its progress and can be cancelled.
class FileCopier {
public:
    virtual ~FileCopier() = default;
    // `fileCopied` runs on the caller's thread after each file copied, so
    // the view can list the folder again.
    virtual void CopyInto(const std::vector<std::string>& files, const std::string& folder,
                          const std::function<void()>& fileCopied) = 0;
};

}  // namespace tamberline
