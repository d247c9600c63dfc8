#include "app/console_model.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/grid_hooks.h"
#include "app/run_control.h"
#include "app/songlist_durations.h"
#include "base/message_box.h"
#include "net/link_state.h"
#include "songlist/localise_songlist.h"
#include "songlist/own_shares.h"

namespace tamberline {

void ConsoleSessionHost::StopAll() {
    run_.StopAll();
    if (grid_) {
        grid_->ClearSelection();
    }
}

void ConsoleSessionHost::TellLinkSessionChanged() {
    if (tellLink_) {
        tellLink_();
    }
}

void ConsoleSessionHost::StopButton(int button) {
    run_.StopButton(button);
}

bool ConsoleSessionHost::IsPlayingOrPaused(int button) const {
    return !run_.State(button).IsIdle();
}

void ConsoleSessionHost::MarkForReload(int button) {
    run_.MarkForReload(button);
}

void ConsoleSessionHost::SessionLoaded(const std::string& path) {
    run_.NoteSessionLoaded(path);
}

void ConsoleSessionHost::RepaintButton(int button) {
    grid_->DrawButton(button);
}

void ConsoleSessionHost::RepaintPage() {
    grid_->RepaintPage();
}

void ConsoleSessionHost::ShowPage(int page) {
    grid_->SelectPage(page);
}

void ConsoleSessionHost::UpdateTitle() {
    grid_->ShowTitle();
}

void ConsoleSessionHost::SetModified(bool modified) {
    menu_.SetModified(modified);
}

void ConsoleSessionHost::RecentListChanged() {
    menu_.SetRecentSessions(session_->recentList().Entries());
}

void ConsoleSessionHost::ReselectCurrentButton() {
    grid_->CheckCue();
    grid_->RefreshStatusLine();
}

void ConsoleSessionHost::SetWaitCursor(bool on) {
    grid_->view().SetWaitCursor(on);
}

void ConsoleSessionHost::RunSampleCheck() {
    if (!session_) {
        return;
    }
    RecordArray records = session_->records();
    const SampleCheckResult result = CheckSamples(records);
    LostSampleAnswer answer = LostSampleAnswer::kIgnore;
    if (!result.Empty() && lostSampleList_) {
        answer = lostSampleList_(records, result);
    }
    if (answer == LostSampleAnswer::kFind && !result.lost.empty() && lostSampleSearch_) {
        FindLostSamples(records);
    }
    const std::vector<int> cleared =
        EndSampleCheck(records, answer == LostSampleAnswer::kClearLostSamples);
    // Only the stored sizes and the cleared buttons differ: run data, and
    // the operator's own choice, neither an undo step.
    for (int button = 0; button < kButtonCount; ++button) {
        const auto index = static_cast<size_t>(button);
        if (std::memcmp(&records[index], &session_->records()[index], sizeof(ButtonRecord)) != 0) {
            session_->Record(button) = records[index];
        }
    }
    for (int button : cleared) {
        MarkForReload(button);
        RepaintButton(button);
    }
}

void ConsoleSessionHost::FindLostSamples(RecordArray& records) {
    auto searched = std::make_unique<RecordArray>(records);
    if (!lostSampleSearch_(*searched)) {
        return;
    }
    int lost = 0;
    std::vector<int> found;
    for (int button = 0; button < kButtonCount; ++button) {
        const auto index = static_cast<size_t>(button);
        if (records[index].status != STATUS_LOST) {
            continue;
        }
        ++lost;
        if ((*searched)[index].status == STATUS_ASSIGNED) {
            found.push_back(button);
        }
    }
    if (found.empty()) {
        box_.Show("Unable to find lost samples.", mb::kOk | mb::kIconStop);
        return;
    }
    // The repaired paths are the operator's change: one undo step, and the
    // session asks to be saved.
    session_->BeginChange();
    for (int button : found) {
        const auto index = static_cast<size_t>(button);
        session_->AppendUndoEntry(button);
        records[index] = (*searched)[index];
        session_->Record(button) = records[index];
        MarkForReload(button);
        RepaintButton(button);
    }
    session_->EndChange(false);
    char text[64];
    std::snprintf(text, sizeof text, "%d of %d samples reloaded.", static_cast<int>(found.size()),
                  lost);
    box_.Show(text, mb::kOk | mb::kIconInformation);
}

bool ConsoleSessionHost::IsModalDialogOpen() const {
    return grid_->view().IsModalDialogOpen();
}

bool ConsoleSessionHost::IsLinkedMaster() const {
    return link_.IsLinkedMaster();
}

bool ConsoleSessionHost::IsLinkedSlave() const {
    return link_.IsLinkedSlave();
}

std::string ConsoleSessionHost::LocalPathOfOwnShare(const std::string& path) {
    std::string local = path;
    return tamberline::LocalPathOfOwnShare(local) ? local : path;
}

std::optional<int32_t> ConsoleSessionHost::LocaliseSonglist(const std::string& songlistPath) {
    const std::optional<int64_t> size = tamberline::LocaliseSonglist(songlistPath);
    if (!size || *size > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*size);
}

ConsoleModel::ConsoleModel(const ConsoleModelServices& services)
    : host_(services.run, services.link, menu_, services.box),
      session_(SessionServices{services.box, services.fileDialog, services.registry, host_,
                               services.documentsFolder}),
      grid_(session_, services.run, services.hooks, menu_),
      context_{session_,       services.run,  services.box, services.registry,
               services.hooks, services.link, grid_},
      gestures_(context_, services.pathKinds),
      ports_(services.registry, menu_, services.portHooks,
             [this](int field, const std::string& text) { grid_.SetStatusField(field, text); }) {
    host_.Attach(&session_, &grid_);
    menu_.SetRecentSessions(session_.recentList().Entries());
}

void ConsoleModel::ApplySonglistLength(const std::string& path, int32_t lengthMs) {
    tamberline::ApplySonglistLength(context_, path, lengthMs);
}

bool ConsoleModel::RunCommand(int id) {
    return RunFileCommand(id) || grid_.SelectPageCommand(id) || ports_.RunCommand(id);
}

bool ConsoleModel::RunFileCommand(int id) {
    if (id >= cmd::kRecent1 && id < cmd::kRecent1 + kRecentItems) {
        session_.OpenRecent(id - cmd::kRecent1);
        return true;
    }
    switch (id) {
        case cmd::kNew: session_.NewSession(true); return true;
        case cmd::kOpen: session_.OpenSession(); return true;
        case cmd::kSave: session_.SaveSession(); return true;
        case cmd::kSaveAs: session_.SaveSessionAsCommand(); return true;
        case cmd::kClearList: session_.ClearRecentList(); return true;
        case cmd::kUndo: session_.Undo(); return true;
        default: return false;
    }
}

}  // namespace tamberline
