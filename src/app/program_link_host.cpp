#include "app/program_link_host.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <future>
#include <thread>

#include "app/console_grid.h"
#include "app/console_menu.h"
#include "app/console_run_control.h"
#include "session/session.h"

namespace tamberline {

namespace {
constexpr int kNameWaitMs = 500;
}  // namespace

const std::vector<int>& MasterGreyedItems() {
    // Undo too: on a master it would step the slave's copy back and write
    // it into this machine's own working copy.
    static const std::vector<int> items = {
        cmd::kNew,          cmd::kOpen,         cmd::kSave, cmd::kSaveAs,     cmd::kReadArchive,
        cmd::kWriteArchive, cmd::kCloneSession, cmd::kAsio, cmd::kRecentMenu, cmd::kUndo};
    return items;
}

std::string NameOfAddressWithin(const std::string& address, int waitMs) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    if (inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1) {
        return address;
    }
    // The resolver has no time-out of its own: it answers on a thread that
    // may outlive the wait, holding only its own copy of the result.
    auto answer = std::make_shared<std::promise<std::string>>();
    std::future<std::string> name = answer->get_future();
    std::thread([answer, where] {
        char host[NI_MAXHOST] = {};
        const bool found = getnameinfo(reinterpret_cast<const sockaddr*>(&where), sizeof where,
                                       host, sizeof host, nullptr, 0, NI_NAMEREQD) == 0;
        answer->set_value(found ? std::string(host) : std::string());
    }).detach();
    if (name.wait_for(std::chrono::milliseconds(waitMs)) != std::future_status::ready) {
        return address;
    }
    const std::string found = name.get();
    return found.empty() ? address : found;
}

ProgramLinkHost::ProgramLinkHost(ConsoleRunControl& run, Session& session, ConsoleGrid& grid,
                                 ConsoleMenu& menu, std::function<void()> closeOpenQuestion)
    : run_(run),
      session_(session),
      grid_(grid),
      menu_(menu),
      closeOpenQuestion_(std::move(closeOpenQuestion)) {
    // With the link there, "Connect" is always offered: it opens the port
    // again when that failed at start-up, or says why it cannot.
    menu_.SetEnabled(cmd::kConnect, true);
}

ProgramLinkHost::~ProgramLinkHost() = default;

void ProgramLinkHost::StartButton(int button) {
    run_.StartButton(button);
}

void ProgramLinkHost::ReleaseButton(int button) {
    run_.ReleaseButton(button);
}

void ProgramLinkHost::StopAll() {
    run_.StopAll();
}

void ProgramLinkHost::ClearBuzzerLocks() {
    run_.ClearBuzzerLocks();
}

void ProgramLinkHost::StopLocalPlaybackThen(std::function<void()> then) {
    run_.StopAllThen(std::move(then));
}

LinkRunView ProgramLinkHost::RunView(int button) const {
    const ButtonRunView v = run_.State(button);
    return {v.running, v.paused, v.fadingIn, v.fadingOut, v.locked, v.remainingMs};
}

void ProgramLinkHost::ShowRemoteRun(int button, const LinkRunView& run) {
    ButtonRunView view;
    view.running = run.running;
    view.paused = run.paused;
    view.fadingIn = run.fadingIn;
    view.fadingOut = run.fadingOut;
    view.locked = run.locked;
    view.remainingMs = run.remainingMs;
    run_.ShowRemote(button, view);
    grid_.DrawButton(button);
}

void ProgramLinkHost::ClearRemoteRuns() {
    run_.ClearRemote();
    grid_.RepaintPage();
}

const ButtonRecord& ProgramLinkHost::Record(int button) const {
    return session_.records()[static_cast<size_t>(button)];
}

void ProgramLinkHost::ShowRemoteRecords(const RecordArray& records) {
    if (!own_) {
        own_ = std::make_unique<RecordArray>(session_.records());
    }
    // The copy is shown, never saved: the session items are greyed and no
    // edit is taken while this machine is master.
    // Run control gets them too: it sends a master's starts only for
    // buttons that are assigned.
    for (int button = 0; button < kButtonCount; ++button) {
        session_.Record(button) = records[static_cast<size_t>(button)];
        run_.MarkForReload(button);
    }
    grid_.SelectPage(0);
    grid_.CheckCue();
    grid_.RepaintPage();
    grid_.ShowTitle();
}

void ProgramLinkHost::RestoreOwnSession() {
    if (!own_) {
        return;
    }
    // The session open before the link comes back as it was, unsaved
    // changes included; run control reads every record afresh.
    for (int button = 0; button < kButtonCount; ++button) {
        session_.Record(button) = (*own_)[static_cast<size_t>(button)];
        run_.MarkForReload(button);
    }
    own_.reset();
    grid_.SelectPage(0);
    grid_.CheckCue();
    grid_.RepaintPage();
}

void ProgramLinkHost::LinkChanged() {
    const bool linked = link_ && link_->connected();
    const bool master = linked && link_->isMaster();
    menu_.SetText(cmd::kConnect, linked ? "Disconnect" : "Connect");
    for (int id : MasterGreyedItems()) {
        menu_.SetEnabled(id, !master);
    }
    if (!master) {
        menu_.SetModified(session_.IsModified());
    }
    grid_.ShowTitle();
}

void ProgramLinkHost::CloseOpenQuestion() {
    if (closeOpenQuestion_) {
        closeOpenQuestion_();
    }
}

std::string ProgramLinkHost::NameOfAddress(const std::string& address) {
    return NameOfAddressWithin(address, kNameWaitMs);
}

}  // namespace tamberline
