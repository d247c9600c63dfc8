#include "app/console_model.h"

#include "app/grid_hooks.h"
#include "app/run_control.h"

namespace tamberline {

void ConsoleSessionHost::StopAll() {
    run_.StopAll();
    if (grid_) {
        grid_->ClearSelection();
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

bool ConsoleSessionHost::IsLinkedMaster() const {
    return hooks_.IsLinkedMaster();
}

bool ConsoleSessionHost::IsLinkedSlave() const {
    return hooks_.IsLinked() && !hooks_.IsLinkedMaster();
}

ConsoleModel::ConsoleModel(const ConsoleModelServices& services)
    : host_(services.run, services.hooks, menu_),
      session_(SessionServices{services.box, services.fileDialog, services.registry, host_,
                               services.documentsFolder}),
      grid_(session_, services.run, services.hooks, menu_),
      context_{session_, services.run, services.box, services.registry, services.hooks, grid_},
      gestures_(context_, services.pathKinds),
      ports_(services.registry, menu_, services.portHooks,
             [this](int field, const std::string& text) { grid_.SetStatusField(field, text); }) {
    host_.Attach(&session_, &grid_);
    menu_.SetRecentSessions(session_.recentList().Entries());
}

bool ConsoleModel::RunCommand(int id) {
    return grid_.SelectPageCommand(id) || ports_.RunCommand(id);
}

}  // namespace tamberline
