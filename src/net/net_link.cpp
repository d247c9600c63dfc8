#include "net/net_link.h"

#include "base/clock.h"
#include "base/message_box.h"
#include "base/stage_trace.h"
#include "net/link_state.h"
#include "net/link_transport.h"

namespace tamberline {

namespace {
constexpr char kRemoteFound[] = "Remote found, waiting for reply.";
constexpr char kDenied[] = "Connection request denied.";
constexpr char kAccepted[] = "Connection request accepted.";
constexpr char kWithdrawn[] = "Remote computer cancelled\nthe connection request.";
constexpr char kSlaveSilent[] = "Slave failed to respond.\nRemote disconnected.";
constexpr char kPeerEnded[] = "Remote disconnected.\n";
constexpr char kNetworkLost[] = "Network connection lost.";
constexpr uint32_t kSecondMs = 1000;
}  // namespace

RemoteState StateOf(const LinkRunView& run) {
    if (run.fadingOut) {
        return RemoteState::kFadingOut;
    }
    if (run.fadingIn) {
        return RemoteState::kFadingIn;
    }
    if (run.locked) {
        return RemoteState::kLocked;
    }
    if (run.paused) {
        return RemoteState::kPaused;
    }
    return run.running ? RemoteState::kRunning : RemoteState::kIdle;
}

LinkRunView ApplyRemoteState(LinkRunView shown, RemoteState state, uint32_t clockMs) {
    switch (state) {
        case RemoteState::kIdle:
            shown.running = shown.paused = shown.fadingIn = shown.fadingOut = false;
            break;
        case RemoteState::kRunning:
            shown.running = true;
            shown.paused = shown.fadingIn = shown.fadingOut = false;
            break;
        case RemoteState::kPaused:
            shown.paused = true;
            shown.running = false;
            break;
        case RemoteState::kLocked: shown.locked = true; break;
        case RemoteState::kFadingIn: shown.fadingIn = true; break;
        case RemoteState::kFadingOut: shown.fadingOut = true; break;
    }
    shown.remainingMs = static_cast<int32_t>(clockMs);
    return shown;
}

NetLink::NetLink(LinkState& state, LinkTransport& transport, NetLinkHost& host, MessageBox& box,
                 const Clock& clock)
    : state_(state), transport_(transport), host_(host), box_(box), clock_(clock) {}

NetLink::~NetLink() = default;

std::string NetLink::Title() const {
    if (!connected_) {
        return {};
    }
    return (isMaster_ ? "Master, controlling " : "Slave, controlled by ") + remoteName_ + " " +
           remoteAddress_;
}

// Sending -----------------------------------------------------------------

void NetLink::RememberPeerKey() {
    const std::string local = transport_.LocalAddressToward(remoteAddress_);
    std::lock_guard lock(sending_);
    sendAddress_ = remoteAddress_;
    localKey_ = ScrambleKey(local);
}

void NetLink::Send(const NetMessage& message) {
    Datagram datagram = EncodeMessage(message);
    std::lock_guard lock(sending_);
    if (sendAddress_.empty()) {
        return;
    }
    Scramble(std::span<uint8_t>(datagram.bytes.data(), datagram.size), localKey_);
    transport_.SendTo(sendAddress_, datagram.view());
}

void NetLink::SendTo(const std::string& address, const NetMessage& message) {
    Datagram datagram = EncodeMessage(message);
    const uint8_t key = ScrambleKey(transport_.LocalAddressToward(address));
    Scramble(std::span<uint8_t>(datagram.bytes.data(), datagram.size), key);
    std::lock_guard lock(sending_);
    transport_.SendTo(address, datagram.view());
}

void NetLink::SendCode(NetCommand command, int button) {
    NetMessage message;
    message.command = command;
    message.button = button;
    Send(message);
}

void NetLink::SendRunCommand(NetCommand command, int button) {
    if (!state_.IsLinked() || (CarriesButton(command) && (button < 0 || button >= kButtonCount))) {
        return;
    }
    SendCode(command, button);
    if (command == NetCommand::kStart) {
        MarkStage("sent", button);
    }
}

void NetLink::SendClearBuzzers() {
    if (!connected_) {
        return;
    }
    SendCode(NetCommand::kClearBuzzers);
    if (isMaster_) {
        for (int i = 0; i < kButtonCount; ++i) {
            LinkRunView& shown = shown_[static_cast<size_t>(i)];
            if (shown.locked) {
                shown.locked = false;
                host_.ShowRemoteRun(i, shown);
            }
        }
    }
}

void NetLink::SendResync() {
    if (connected_ && !isMaster_) {
        SendCode(NetCommand::kResync);
    }
}

// Receiving ---------------------------------------------------------------

void NetLink::OnDatagram(std::span<const uint8_t> bytes, const std::string& from) {
    // Once linked only the peer is heard: anyone else on the network could
    // otherwise start, stop or rewrite this console's buttons.
    if (bytes.size() > kMaxDatagram || (connected_ && from != remoteAddress_)) {
        ++ignored_;
        return;
    }
    Datagram plain;
    std::copy(bytes.begin(), bytes.end(), plain.bytes.begin());
    plain.size = bytes.size();
    Descramble(std::span<uint8_t>(plain.bytes.data(), plain.size), ScrambleKey(from));
    const std::optional<NetMessage> message = DecodeMessage(plain.view());
    if (!message) {
        ++ignored_;
        return;
    }
    Act(*message, from);
}

void NetLink::Act(const NetMessage& message, const std::string& from) {
    if (connected_) {
        ActLinked(message);
    } else {
        ActUnlinked(message, from);
    }
}

void NetLink::ActUnlinked(const NetMessage& message, const std::string& from) {
    const bool fromPeer = phase_ != Phase::kIdle && from == remoteAddress_;
    switch (message.command) {
        case NetCommand::kProbe: AnswerProbe(from); return;
        case NetCommand::kPresent:
            if (phase_ == Phase::kProbing && fromPeer) {
                phase_ = Phase::kRequesting;
                requestPending_ = true;
                if (watcher_) {
                    watcher_->ShowProgress(kRemoteFound);
                }
                SendCode(wantMaster_ ? NetCommand::kRequestYouSlave
                                     : NetCommand::kRequestYouMaster);
                return;
            }
            break;
        case NetCommand::kRequestYouMaster:
        case NetCommand::kRequestYouSlave:
            // Only the answer to a probe of that very console counts.
            if (phase_ == Phase::kIdle && from == probedBy_ &&
                clock_.TickCount() - probedAt_ < kProbeMemoryMs) {
                probedBy_.clear();
                AskOperator(message.command, from);
                return;
            }
            break;
        case NetCommand::kAccepted:
        case NetCommand::kDenied:
            if (phase_ == Phase::kRequesting && fromPeer && requestPending_) {
                const bool accepted = message.command == NetCommand::kAccepted;
                phase_ = Phase::kIdle;
                requestPending_ = false;
                ConnectWatcher* watcher = watcher_;
                watcher_ = nullptr;
                if (watcher) {
                    watcher->Finished();
                }
                if (accepted) {
                    Link(wantMaster_, true);
                } else {
                    box_.Show(kDenied, mb::kOk | mb::kIconInformation);
                }
                return;
            }
            break;
        case NetCommand::kDisconnect:
            if (fromPeer) {
                requestPending_ = false;
                if (phase_ == Phase::kAsked) {
                    host_.CloseOpenQuestion();
                }
                return;
            }
            break;
        default: break;
    }
    ++ignored_;
}

void NetLink::AnswerProbe(const std::string& from) {
    const uint32_t now = clock_.TickCount();
    if (now - probeWindowStart_ >= kSecondMs) {
        probeWindowStart_ = now;
        probesAnswered_ = 0;
    }
    if (probesAnswered_ >= kProbeAnswersPerSecond) {
        ++ignored_;
        return;
    }
    ++probesAnswered_;
    probedBy_ = from;
    probedAt_ = now;
    NetMessage present;
    present.command = NetCommand::kPresent;
    SendTo(from, present);
}

void NetLink::AskOperator(NetCommand request, const std::string& from) {
    phase_ = Phase::kAsked;
    requestPending_ = true;
    remoteAddress_ = from;
    remoteName_ = host_.NameOfAddress(from);
    RememberPeerKey();
    const bool thisMaster = request == NetCommand::kRequestYouMaster;
    const std::string text =
        "Connection request received from\n" + remoteName_ + "\n" + from +
        (thisMaster ? "\n\nThis computer to be master." : "\n\nThis computer to be slave.");
    const int answer = box_.Show(text, mb::kOkCancel | mb::kIconQuestion);
    // The box ran an event loop: the requester may have withdrawn, the
    // network gone or the program begun to close meanwhile.
    const bool stillPending = requestPending_ && phase_ == Phase::kAsked && !closing_;
    phase_ = Phase::kIdle;
    requestPending_ = false;
    if (answer == kResultOk && stillPending) {
        SendCode(NetCommand::kAccepted);
        Link(thisMaster, false);
    } else if (answer == kResultCancel) {
        if (stillPending) {
            SendCode(NetCommand::kDenied);
        }
    } else if (!closing_) {
        box_.Show(kWithdrawn, mb::kOk | mb::kIconInformation);
    }
}

void NetLink::ActLinked(const NetMessage& message) {
    const int i = message.button;
    const auto at = static_cast<size_t>(i < 0 ? 0 : i);
    switch (message.command) {
        case NetCommand::kDisconnect:
            EndLink(/*tellPeer=*/false, /*closing=*/false);
            box_.Show(kPeerEnded, mb::kOk | mb::kIconInformation);
            return;
        case NetCommand::kClearBuzzers:
            host_.ClearBuzzerLocks();
            if (isMaster_) {
                for (int b = 0; b < kButtonCount; ++b) {
                    LinkRunView& shown = shown_[static_cast<size_t>(b)];
                    if (shown.locked) {
                        shown.locked = false;
                        host_.ShowRemoteRun(b, shown);
                    }
                }
            }
            return;
        default: break;
    }
    if (isMaster_) {
        switch (message.command) {
            case NetCommand::kRecord: TakeRecord(message); return;
            case NetCommand::kStarted:
                shown_[at].running = true;
                host_.ShowRemoteRun(i, shown_[at]);
                return;
            case NetCommand::kStopped:
                shown_[at].running = false;
                host_.ShowRemoteRun(i, shown_[at]);
                return;
            case NetCommand::kState:
                shown_[at] = ApplyRemoteState(shown_[at], message.state, message.clockMs);
                host_.ShowRemoteRun(i, shown_[at]);
                return;
            case NetCommand::kResync:
                if (syncing_) {
                    resyncAfter_ = true;
                } else {
                    BeginSync();
                }
                return;
            default: break;
        }
    } else {
        switch (message.command) {
            case NetCommand::kGetRecord: {
                NetMessage record;
                record.command = NetCommand::kRecord;
                record.button = i;
                record.record = host_.Record(i);
                Send(record);
                return;
            }
            case NetCommand::kStart: {
                // A datagram the network delivered twice must not restart
                // the cue.
                const uint32_t now = clock_.TickCount();
                if (lastStart_[at] != 0 && now - lastStart_[at] < kRepeatedStartMs) {
                    break;
                }
                lastStart_[at] = now == 0 ? 1 : now;
                MarkStage("received", i);
                host_.StartButton(i);
                return;
            }
            case NetCommand::kRelease: host_.ReleaseButton(i); return;
            case NetCommand::kStopAll: host_.StopAll(); return;
            default: break;
        }
    }
    // The other side's commands, connection commands and anything else
    // that has no place in a link already made.
    ++ignored_;
}

// Connecting --------------------------------------------------------------

void NetLink::BeginConnect(const std::string& address, const std::string& name, bool thisMaster,
                           ConnectWatcher* watcher) {
    if (connected_ || phase_ != Phase::kIdle) {
        return;
    }
    remoteAddress_ = address;
    remoteName_ = name;
    wantMaster_ = thisMaster;
    watcher_ = watcher;
    phase_ = Phase::kProbing;
    probeSentAt_ = clock_.TickCount();
    RememberPeerKey();
    SendCode(NetCommand::kProbe);
}

void NetLink::CancelConnect() {
    watcher_ = nullptr;
    if (phase_ == Phase::kProbing || phase_ == Phase::kRequesting) {
        SendCode(NetCommand::kDisconnect);
        phase_ = Phase::kIdle;
    }
    requestPending_ = false;
}

void NetLink::Link(bool master, bool requester) {
    connected_ = true;
    isMaster_ = master;
    requestPending_ = false;
    phase_ = Phase::kIdle;
    RememberPeerKey();
    reported_.fill(LinkRunView{});
    shown_.fill(LinkRunView{});
    lastStart_.fill(0);
    reportedAt_ = clock_.TickCount();
    if (master) {
        MasterSetUp();
        return;
    }
    state_.SetRole(LinkRole::kSlave);
    host_.LinkChanged();
    if (requester) {
        box_.Show(kAccepted, mb::kOk | mb::kIconInformation);
    }
}

void NetLink::MasterSetUp() {
    // This machine's own show stops while it is still no master, so that
    // run control stops it here instead of only telling the slave; the
    // role changes on run control's thread right after that stop, before
    // any command that comes later.
    host_.StopLocalPlaybackThen([this] {
        state_.SetRole(LinkRole::kMaster);
        SendRunCommand(NetCommand::kStopAll, -1);
    });
    host_.LinkChanged();
    BeginSync();
}

// Copying the slave's records --------------------------------------------

void NetLink::BeginSync() {
    syncing_ = true;
    resyncAfter_ = false;
    syncStart_ = clock_.TickCount();
    incoming_ = std::make_unique<RecordArray>();
    arrived_.reset();
    asked_.reset();
    RequestMissingRecords();
}

void NetLink::RequestMissingRecords() {
    const uint32_t now = clock_.TickCount();
    int outstanding = static_cast<int>((asked_ & ~arrived_).count());
    for (int i = 0; i < kButtonCount; ++i) {
        const auto at = static_cast<size_t>(i);
        if (arrived_[at]) {
            continue;
        }
        if (asked_[at]) {
            if (now - askedAt_[at] < kRecordRetryMs) {
                continue;
            }
        } else if (outstanding >= kSyncWindow) {
            break;
        } else {
            ++outstanding;
        }
        asked_.set(at);
        askedAt_[at] = now;
        SendCode(NetCommand::kGetRecord, i);
    }
}

void NetLink::TakeRecord(const NetMessage& message) {
    const auto at = static_cast<size_t>(message.button);
    // A record nobody asked for, or one that came twice, changes nothing.
    if (!syncing_ || !asked_[at] || arrived_[at]) {
        ++ignored_;
        return;
    }
    ButtonRecord record = message.record;
    if (IsAssigned(record)) {
        NormaliseFields(record);
    }
    (*incoming_)[at] = record;
    arrived_.set(at);
    if (arrived_.all()) {
        FinishSync(true);
    } else {
        RequestMissingRecords();
    }
}

void NetLink::FinishSync(bool complete) {
    syncing_ = false;
    std::unique_ptr<RecordArray> records = std::move(incoming_);
    if (!complete) {
        EndLink(/*tellPeer=*/true, /*closing=*/false);
        box_.Show(kSlaveSilent, mb::kOk | mb::kIconExclamation);
        return;
    }
    shown_.fill(LinkRunView{});
    host_.ClearRemoteRuns();
    host_.ShowRemoteRecords(*records);
    host_.LinkChanged();
    if (resyncAfter_) {
        BeginSync();
    }
}

// Ending ------------------------------------------------------------------

void NetLink::EndLink(bool tellPeer, bool closing) {
    if (!connected_) {
        return;
    }
    if (tellPeer) {
        SendCode(NetCommand::kDisconnect);
    }
    const bool wasMaster = isMaster_;
    connected_ = false;
    isMaster_ = false;
    syncing_ = false;
    resyncAfter_ = false;
    incoming_.reset();
    // The role goes first: the session opened next must be this machine's
    // own, with its timecode and clock triggers.
    state_.SetRole(LinkRole::kNone);
    if (closing) {
        return;
    }
    if (wasMaster) {
        shown_.fill(LinkRunView{});
        host_.ClearRemoteRuns();
        host_.RestoreOwnSession();
    }
    host_.LinkChanged();
}

void NetLink::Disconnect() {
    EndLink(/*tellPeer=*/true, /*closing=*/false);
}

void NetLink::OnNetworkLost() {
    if (phase_ == Phase::kAsked) {
        requestPending_ = false;
        host_.CloseOpenQuestion();
    }
    if (connected_) {
        EndLink(/*tellPeer=*/true, /*closing=*/false);
        box_.Show(kNetworkLost, mb::kOk | mb::kIconExclamation);
    }
}

void NetLink::Close() {
    closing_ = true;
    if (phase_ == Phase::kProbing || phase_ == Phase::kRequesting || requestPending_) {
        SendCode(NetCommand::kDisconnect);
        requestPending_ = false;
        phase_ = Phase::kIdle;
        watcher_ = nullptr;
    }
    EndLink(/*tellPeer=*/true, /*closing=*/true);
}

// The tick ----------------------------------------------------------------

void NetLink::Poll() {
    const uint32_t now = clock_.TickCount();
    if (phase_ == Phase::kProbing && now - probeSentAt_ >= kProbeTimeoutMs) {
        phase_ = Phase::kIdle;
        ConnectWatcher* watcher = watcher_;
        watcher_ = nullptr;
        if (watcher) {
            watcher->ProbeUnanswered();
        }
        return;
    }
    if (syncing_) {
        if (now - syncStart_ >= kSyncDeadlineMs) {
            FinishSync(false);
        } else {
            RequestMissingRecords();
        }
    }
    if (connected_ && !isMaster_ && now - reportedAt_ >= kStateReportMs) {
        reportedAt_ = now;
        ReportStates();
    }
}

void NetLink::ReportStates() {
    for (int i = 0; i < kButtonCount; ++i) {
        const LinkRunView run = host_.RunView(i);
        LinkRunView& last = reported_[static_cast<size_t>(i)];
        // A running clock is reported on every pass, anything else once.
        if (run == last && !run.running) {
            continue;
        }
        last = run;
        NetMessage state;
        state.command = NetCommand::kState;
        state.button = i;
        state.state = StateOf(run);
        state.clockMs = static_cast<uint32_t>(run.remainingMs);
        Send(state);
    }
}

}  // namespace tamberline
