#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/net_link.h"

namespace tamberline {

class ConsoleGrid;
class ConsoleMenu;
class ConsoleRunControl;
class Session;

// The console as the network link sees it: run control for the slave's
// playback, the overlay of the slave's states and records on a master,
// the menu items greyed while this machine is master, and the title.
class ProgramLinkHost final : public NetLinkHost {
public:
    ProgramLinkHost(ConsoleRunControl& run, Session& session, ConsoleGrid& grid, ConsoleMenu& menu,
                    std::function<void()> closeOpenQuestion);
    ~ProgramLinkHost() override;

    void SetLink(const NetLink* link) { link_ = link; }

    void StartButton(int button) override;
    void ReleaseButton(int button) override;
    void StopAll() override;
    void ClearBuzzerLocks() override;
    void StopLocalPlaybackThen(std::function<void()> then) override;
    LinkRunView RunView(int button) const override;
    void ShowRemoteRun(int button, const LinkRunView& run) override;
    void ClearRemoteRuns() override;
    const ButtonRecord& Record(int button) const override;
    void ShowRemoteRecords(const RecordArray& records) override;
    void RestoreOwnSession() override;
    void LinkChanged() override;
    void CloseOpenQuestion() override;
    std::string NameOfAddress(const std::string& address) override;

    bool showsRemoteRecords() const { return own_ != nullptr; }

private:
    ConsoleRunControl& run_;
    Session& session_;
    ConsoleGrid& grid_;
    ConsoleMenu& menu_;
    std::function<void()> closeOpenQuestion_;
    const NetLink* link_ = nullptr;
    // A master's own records while it shows the slave's.
    std::unique_ptr<RecordArray> own_;
};

// The items a master greys: what would change or replace the session it
// shows (the slave's), and the outputs it does not play on.
const std::vector<int>& MasterGreyedItems();

// The computer name of an address, waiting for the resolver at most
// `wait`; the address itself when none comes.
std::string NameOfAddressWithin(const std::string& address, int waitMs);

}  // namespace tamberline
