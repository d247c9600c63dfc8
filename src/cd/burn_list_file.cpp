#include "cd/burn_list_file.h"

#include <filesystem>

#include "session/disk_file.h"

namespace tamberline {

BurnList LoadBurnList(const std::string& path) {
    std::vector<uint8_t> bytes;
    // One byte more than the file may hold tells a longer file.
    if (ReadWholeFile(path, kBurnListFileSize + 1, bytes) != 0) {
        return {};
    }
    return BurnList::FromFile(bytes);
}

int SaveBurnList(const std::string& path, const BurnList& list) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const std::vector<uint8_t> bytes = list.ToFile();
    return ReplaceFileAtomically(path, bytes);
}

}  // namespace tamberline
