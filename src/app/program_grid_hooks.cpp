#include "app/program_grid_hooks.h"

#include "playback/outputs_part.h"
#include "songlist/playlist_reader.h"

namespace tamberline {

bool ProgramGridHooks::IsValidOutput(int row) const {
    if (!outputs_) {
        return true;
    }
    const int index = outputs_->list().ItemData(row);
    return index >= 0 && index < static_cast<int>(outputs_->table().entries.size());
}

bool ProgramGridHooks::IsSonglistFile(const std::string& path) const {
    return IsPlaylistFile(path);
}

void ProgramGridHooks::EditSample(int button) {
    if (editSample_) {
        editSample_(button);
    }
}

}  // namespace tamberline
