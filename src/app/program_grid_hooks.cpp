#include "app/program_grid_hooks.h"

#include "app/run_control.h"
#include "help/help_service.h"
#include "help/help_topics.h"
#include "net/net_link.h"
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

void ProgramGridHooks::TellLinkLocksCleared() {
    if (link_) {
        link_->SendClearBuzzers();
    }
}

std::string ProgramGridHooks::LinkTitle() const {
    return link_ ? link_->Title() : std::string();
}

void ProgramGridHooks::EditSample(int button) {
    if (editSample_) {
        editSample_(button);
    }
}

SampleEditHooks SampleEditHooksFor(RunControl& run) {
    SampleEditHooks hooks;
    hooks.isPlaylist = [](const std::string& path) { return IsPlaylistFile(path); };
    hooks.isPlayingOrPaused = [&run](int button) { return !run.State(button).IsIdle(); };
    hooks.releaseMedia = [&run](int button) {
        // Stopping frees the media and hides a video; an idle button holds
        // no file, and stopping it would log a run that never was. The next
        // start opens the file afresh, so a video can show again.
        if (!run.State(button).IsIdle()) {
            run.StopButton(button);
        }
        run.MarkForReload(button);
    };
    return hooks;
}

void ProgramGridHooks::OpenSetupButton(int button) {
    if (setup_) {
        setup_(button);
    }
}

void ProgramGridHooks::OpenBlockAssign(const std::vector<int>& buttons) {
    // A block of one button is set up on its own.
    if (buttons.size() == 1) {
        OpenSetupButton(buttons.front());
    } else if (block_ && !buttons.empty()) {
        block_(buttons);
    }
}

void ProgramGridHooks::OpenHelp() {
    if (help_) {
        help_->ShowHelpTopic(help::kGetStarted);
    }
}

}  // namespace tamberline
