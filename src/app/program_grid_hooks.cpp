#include "app/program_grid_hooks.h"

#include "app/program_parts.h"
#include "songlist/playlist_reader.h"

namespace tamberline {

bool ProgramGridHooks::IsValidOutput(int row) const {
    if (!parts_) {
        return true;
    }
    const int index = parts_->outputList().ItemData(row);
    return index >= 0 && index < static_cast<int>(parts_->outputTable().entries.size());
}

bool ProgramGridHooks::IsSonglistFile(const std::string& path) const {
    return IsPlaylistFile(path);
}

}  // namespace tamberline
