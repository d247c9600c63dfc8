#include "app/program_grid_hooks.h"

#include "help/help_service.h"
#include "help/help_topics.h"
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

void ProgramGridHooks::OpenHelp() {
    if (help_) {
        help_->ShowHelpTopic(help::kGetStarted);
    }
}

}  // namespace tamberline
