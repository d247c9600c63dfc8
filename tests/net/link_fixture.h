#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/message_box.h"
#include "net/link_socket.h"
#include "net/link_state.h"
#include "net/net_link.h"
#include "support/manual_clock.h"
#include "support/scripted_message_box.h"

namespace tamberline::testing {

// The show network between consoles of one test: datagrams wait on the
// wire until the test delivers them, and the test may lose some on the way.
class Wire {
public:
    struct Packet {
        std::string from;
        std::string to;
        std::vector<uint8_t> bytes;
    };
    void Attach(const std::string& address, NetLink* link) { links_[address] = link; }
    void Put(Packet packet) { packets_.push_back(std::move(packet)); }
    // Delivers until the wire is quiet (or `limit` datagrams went).
    int Pump(int limit = 100000) {
        int delivered = 0;
        while (!packets_.empty() && delivered < limit) {
            Packet packet = std::move(packets_.front());
            packets_.pop_front();
            if (drop && drop(packet)) {
                continue;
            }
            sent.push_back(packet);
            auto to = links_.find(packet.to);
            if (to != links_.end()) {
                to->second->OnDatagram(packet.bytes, packet.from);
            }
            ++delivered;
        }
        return delivered;
    }
    void Clear() { packets_.clear(); }
    // Plain command codes of the datagrams delivered from `from`.
    std::vector<int> CodesFrom(const std::string& from) const;

    std::function<bool(const Packet&)> drop;
    std::vector<Packet> sent;

private:
    std::map<std::string, NetLink*> links_;
    std::deque<Packet> packets_;
};

class WireTransport final : public LinkTransport {
public:
    WireTransport(Wire& wire, std::string address) : wire_(wire), address_(std::move(address)) {}
    bool SendTo(const std::string& address, std::span<const uint8_t> bytes) override {
        wire_.Put({address_, address, std::vector<uint8_t>(bytes.begin(), bytes.end())});
        return true;
    }
    std::string LocalAddressToward(const std::string&) const override { return address_; }

private:
    Wire& wire_;
    std::string address_;
};

// The console around one end of the link, recording what the link asks.
class RecordingHost final : public NetLinkHost {
public:
    explicit RecordingHost(const LinkState& state) : state_(state) {}
    void StartButton(int b) override { starts.push_back(b); }
    void ReleaseButton(int b) override { releases.push_back(b); }
    void StopAll() override { ++stopAlls; }
    void ClearBuzzerLocks() override { ++buzzerClears; }
    void StopLocalPlaybackThen(std::function<void()> then) override {
        // The stop reaches run control while this machine is no master yet.
        localStopRole = state_.role();
        ++stopAlls;
        then();
    }
    LinkRunView RunView(int b) const override { return runs[static_cast<size_t>(b)]; }
    void ShowRemoteRun(int b, const LinkRunView& run) override {
        shown[static_cast<size_t>(b)] = run;
    }
    void ClearRemoteRuns() override { shown.fill({}); }
    const ButtonRecord& Record(int b) const override { return records[static_cast<size_t>(b)]; }
    void ShowRemoteRecords(const RecordArray& r) override {
        remote = r;
        ++remoteShown;
    }
    void RestoreOwnSession() override {
        restoreRole = state_.role();
        ++restores;
    }
    void LinkChanged() override { ++linkChanges; }
    void CloseOpenQuestion() override { ++questionsClosed; }
    std::string NameOfAddress(const std::string& a) override { return "host-" + a; }

    std::vector<int> starts;
    std::vector<int> releases;
    int stopAlls = 0;
    int buzzerClears = 0;
    LinkRole localStopRole = LinkRole::kSlave;
    LinkRole restoreRole = LinkRole::kSlave;
    std::array<LinkRunView, kButtonCount> runs{};
    std::array<LinkRunView, kButtonCount> shown{};
    RecordArray records{};
    RecordArray remote{};
    int remoteShown = 0;
    int restores = 0;
    int linkChanges = 0;
    int questionsClosed = 0;

private:
    const LinkState& state_;
};

// A message box that runs something while it is open, as the operator's
// nested event loop would deliver datagrams meanwhile.
class MeanwhileBox final : public MessageBox {
public:
    int Show(const std::string& text, unsigned flags, BoxPlacement placement) override {
        if (meanwhile) {
            auto run = std::move(meanwhile);
            meanwhile = nullptr;
            run();
        }
        return box.Show(text, flags, placement);
    }
    std::function<void()> meanwhile;
    ScriptedMessageBox box;
};

struct LinkSide {
    LinkSide(Wire& wire, const std::string& address, ManualClock& clock)
        : transport(wire, address), host(state), link(state, transport, host, box, clock) {
        wire.Attach(address, &link);
    }
    LinkState state;
    WireTransport transport;
    RecordingHost host;
    MeanwhileBox box;
    NetLink link;
};

class Watcher final : public ConnectWatcher {
public:
    void ShowProgress(const std::string& text) override { progress.push_back(text); }
    void ProbeUnanswered() override { ++unanswered; }
    void Finished() override { ++finished; }
    std::vector<std::string> progress;
    int unanswered = 0;
    int finished = 0;
};

// A datagram as the console at `from` sends it.
std::vector<uint8_t> Scrambled(const NetMessage& message, const std::string& from);
std::vector<uint8_t> ScrambledBytes(std::vector<uint8_t> plain, const std::string& from);

}  // namespace tamberline::testing
