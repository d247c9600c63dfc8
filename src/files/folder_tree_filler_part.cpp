#include "files/folder_tree_filler_part.h"

#include <QDir>

#include "files/drives.h"
#include "files/folder_tree_model.h"
#include "session/registry.h"

namespace tamberline {

namespace {
constexpr uint32_t kRemovableAndFixed = 12;
}  // namespace

FolderTreeFillerPart::~FolderTreeFillerPart() {
    stop_ = true;
    Join();
}

bool PrefillFolderTree(const std::string& folder, const std::atomic<bool>& stop) {
    // The model lives and dies on this thread; nobody else sees it.
    FolderTreeModel tree;
    for (const Drive& drive : SystemDrives()) {
        tree.AddDrive(drive, kRemovableAndFixed);
    }
    tree.ExpandTo(folder, [&stop](int) { return !stop.load(); });
    return !stop.load();
}

bool FolderTreeFillerPart::Start(StartStep step) {
    if (step != StartStep::kFolderTreeFiller || worker_.joinable()) {
        return true;
    }
    std::string folder = registry_.String(settings::kFileFolder);
    if (folder.empty()) {
        folder = QDir::homePath().toStdString();
    }
    worker_ = std::thread([this, folder] { PrefillFolderTree(WithTrailingSlash(folder), stop_); });
    return true;
}

void FolderTreeFillerPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kStartWorker) {
        stop_ = true;
        Join();
    }
}

void FolderTreeFillerPart::Join() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

}  // namespace tamberline
