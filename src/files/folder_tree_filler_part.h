#pragma once

#include <atomic>
#include <thread>

#include "base/console_part.h"

namespace tamberline {

class Registry;

// The start-up pre-fill: a worker walks down a hidden tree of the
// removable and fixed drives to the "File Folder" (the home folder when
// none is stored), so the first file dialog finds those folders in the
// system's caches. It shows nothing and ends by itself; an exit before it
// is done stops it.
class FolderTreeFillerPart final : public ConsolePart {
public:
    explicit FolderTreeFillerPart(Registry& registry) : registry_(registry) {}
    ~FolderTreeFillerPart() override;

    bool Start(StartStep step) override;
    void Teardown(TeardownStep step) override;

    // Waits for the worker (tests).
    void Join();

private:
    Registry& registry_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// The worker's walk; false when `stop` ended it.
bool PrefillFolderTree(const std::string& folder, const std::atomic<bool>& stop);

}  // namespace tamberline
