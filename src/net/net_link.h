#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "net/net_message.h"
#include "session/button_record.h"

namespace tamberline {

class Clock;
class LinkState;
class LinkTransport;
class MessageBox;

// One button's playback as the link reports it or shows it.
struct LinkRunView {
    bool running = false;
    bool paused = false;
    bool fadingIn = false;
    bool fadingOut = false;
    bool locked = false;
    int32_t remainingMs = 0;

    bool operator==(const LinkRunView&) const = default;
};

// The highest state that applies, as a slave reports it.
RemoteState StateOf(const LinkRunView& run);
// What a master shows after a report: the flags the state code sets,
// on top of what it showed before.
LinkRunView ApplyRemoteState(LinkRunView shown, RemoteState state, uint32_t clockMs);

// What the link asks of the console. Every call is on the GUI thread.
class NetLinkHost {
public:
    virtual ~NetLinkHost() = default;
    // Run control on this machine (a slave acts on the master's commands).
    virtual void StartButton(int button) = 0;
    virtual void ReleaseButton(int button) = 0;
    virtual void StopAll() = 0;
    virtual void ClearBuzzerLocks() = 0;
    // Stops this machine's own playback, then runs `then` on run control's
    // thread ahead of every command asked for later.
    virtual void StopLocalPlaybackThen(std::function<void()> then) = 0;
    virtual LinkRunView RunView(int button) const = 0;
    // A master shows the slave's playback instead of its own.
    virtual void ShowRemoteRun(int button, const LinkRunView& run) = 0;
    virtual void ClearRemoteRuns() = 0;
    // The session's records; a master shows the slave's copy (page 1,
    // repainted) and gets its own session back when the link ends.
    virtual const ButtonRecord& Record(int button) const = 0;
    virtual void ShowRemoteRecords(const RecordArray& records) = 0;
    virtual void RestoreOwnSession() = 0;
    // The role changed: menu texts, greyed items, the title.
    virtual void LinkChanged() = 0;
    virtual void CloseOpenQuestion() = 0;
    // The computer name of an address, or the address when none is known.
    virtual std::string NameOfAddress(const std::string& address) = 0;
};

// The requester's "Network Connect." dialog, told how its request goes.
class ConnectWatcher {
public:
    virtual ~ConnectWatcher() = default;
    virtual void ShowProgress(const std::string& text) = 0;
    // The probe was not answered: the controls are enabled again.
    virtual void ProbeUnanswered() = 0;
    // Accepted or denied: the dialog closes.
    virtual void Finished() = 0;
};

// The master/slave link between two consoles: the connection handshake,
// the copy of the slave's records to the master, the commands each side
// sends the other, and the end of the link. Runs on the GUI thread except
// where said; the datagrams arrive through OnDatagram and the time-outs
// run in Poll, called from the console's tick.
class NetLink {
public:
    NetLink(LinkState& state, LinkTransport& transport, NetLinkHost& host, MessageBox& box,
            const Clock& clock);
    ~NetLink();
    NetLink(const NetLink&) = delete;
    NetLink& operator=(const NetLink&) = delete;

    static constexpr uint32_t kProbeTimeoutMs = 2000;
    static constexpr uint32_t kSyncDeadlineMs = 3000;
    // A record asked for and not arrived is asked for again after this.
    static constexpr uint32_t kRecordRetryMs = 150;
    // Records asked for at once during a copy.
    static constexpr int kSyncWindow = 16;
    static constexpr uint32_t kStateReportMs = 100;
    // A request counts only after its sender's probe, within this time.
    static constexpr uint32_t kProbeMemoryMs = 10000;
    // Probes answered per second: a flood cannot turn the console into a
    // sender toward forged addresses.
    static constexpr int kProbeAnswersPerSecond = 20;
    // A second start of one button in this time is a repeated datagram.
    static constexpr uint32_t kRepeatedStartMs = 25;

    void OnDatagram(std::span<const uint8_t> bytes, const std::string& from);
    void Poll();

    // The requester: contacts `address`; this machine becomes master
    // unless `thisMaster` is false.
    void BeginConnect(const std::string& address, const std::string& name, bool thisMaster,
                      ConnectWatcher* watcher);
    // "Cancel" in the dialog, or the dialog closed by a network loss.
    void CancelConnect();
    // "Disconnect" in the File menu.
    void Disconnect();
    void OnNetworkLost();
    // The program ends: a request is withdrawn, a link ended without the
    // menu, title and session steps.
    void Close();

    // Any thread: run control's commands toward the peer.
    void SendRunCommand(NetCommand command, int button);
    // Space on either side.
    void SendClearBuzzers();
    // A slave's records changed.
    void SendResync();

    bool connected() const { return connected_; }
    bool isMaster() const { return isMaster_; }
    bool requestPending() const { return requestPending_; }
    bool syncing() const { return syncing_; }
    bool connecting() const { return phase_ != Phase::kIdle; }
    const std::string& remoteAddress() const { return remoteAddress_; }
    const std::string& remoteName() const { return remoteName_; }
    // "Master, controlling ..." or "Slave, controlled by ...", or empty.
    std::string Title() const;
    // Datagrams that were no command, or came from where none was due.
    uint64_t ignored() const { return ignored_; }

private:
    enum class Phase { kIdle, kProbing, kRequesting, kAsked };

    void Send(const NetMessage& message);
    void SendTo(const std::string& address, const NetMessage& message);
    void SendCode(NetCommand command, int button = -1);
    void Act(const NetMessage& message, const std::string& from);
    void ActUnlinked(const NetMessage& message, const std::string& from);
    void ActLinked(const NetMessage& message);
    void AnswerProbe(const std::string& from);
    void AskOperator(NetCommand request, const std::string& from);
    void Link(bool master, bool requester);
    void MasterSetUp();
    void BeginSync();
    void RequestMissingRecords();
    void TakeRecord(const NetMessage& message);
    void FinishSync(bool complete);
    void EndLink(bool tellPeer, bool closing);
    void ReportStates();
    void RememberPeerKey();

    LinkState& state_;
    LinkTransport& transport_;
    NetLinkHost& host_;
    MessageBox& box_;
    const Clock& clock_;

    Phase phase_ = Phase::kIdle;
    bool connected_ = false;
    bool isMaster_ = false;
    bool requestPending_ = false;
    bool wantMaster_ = true;
    bool closing_ = false;
    ConnectWatcher* watcher_ = nullptr;
    uint32_t probeSentAt_ = 0;
    std::string remoteAddress_;
    std::string remoteName_;
    std::string probedBy_;  // the last console that probed this one
    uint32_t probedAt_ = 0;
    uint32_t probeWindowStart_ = 0;
    int probesAnswered_ = 0;

    // The copy of the slave's records.
    bool syncing_ = false;
    bool resyncAfter_ = false;
    uint32_t syncStart_ = 0;
    std::unique_ptr<RecordArray> incoming_;
    std::bitset<kButtonCount> arrived_;
    std::array<uint32_t, kButtonCount> askedAt_{};
    std::bitset<kButtonCount> asked_;

    // A slave's last report of each button, and when it reported.
    std::array<LinkRunView, kButtonCount> reported_{};
    uint32_t reportedAt_ = 0;
    // A master's view of the slave's buttons.
    std::array<LinkRunView, kButtonCount> shown_{};
    std::array<uint32_t, kButtonCount> lastStart_{};

    // The send buffer and the peer's address are shared with run
    // control's thread.
    mutable std::mutex sending_;
    std::string sendAddress_;
    uint8_t localKey_ = 0;
    uint64_t ignored_ = 0;
};

}  // namespace tamberline
