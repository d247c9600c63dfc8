// Datagrams of any bytes, up to 600 each, from the peer and from a third
// host, fed to a console linked as slave, as master in the middle of the
// record copy, or not linked at all. Nothing may read or write outside a
// record or a button, and no datagram from the third host may change one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "base/clock.h"
#include "base/message_box.h"
#include "net/link_state.h"
#include "net/link_transport.h"
#include "net/net_link.h"

namespace {

using namespace tamberline;

constexpr char kPeer[] = "10.77.0.2";
constexpr char kThird[] = "10.77.0.9";

class FuzzClock final : public Clock {
public:
    uint32_t TickCount() const override { return ms; }
    LocalTimeOfDay LocalTime() const override { return {}; }
    uint32_t ms = 5000;
};

class NullTransport final : public LinkTransport {
public:
    bool SendTo(const std::string&, std::span<const uint8_t>) override { return true; }
    std::string LocalAddressToward(const std::string&) const override { return "10.77.0.1"; }
};

class OkBox final : public MessageBox {
public:
    int Show(const std::string&, unsigned, BoxPlacement) override { return kResultOk; }
};

class CountingHost final : public NetLinkHost {
public:
    void StartButton(int b) override { Check(b); }
    void ReleaseButton(int b) override { Check(b); }
    void StopAll() override {}
    void ClearBuzzerLocks() override {}
    void StopLocalPlaybackThen(std::function<void()> then) override { then(); }
    LinkRunView RunView(int b) const override {
        Check(b);
        return {};
    }
    void ShowRemoteRun(int b, const LinkRunView&) override { Check(b); }
    void ClearRemoteRuns() override {}
    const ButtonRecord& Record(int b) const override {
        Check(b);
        return records[static_cast<size_t>(b)];
    }
    void ShowRemoteRecords(const RecordArray& r) override {
        for (const ButtonRecord& record : r) {
            if (record.path[kPathSize - 1] != 0 || record.caption[kCaptionSize - 1] != 0) {
                std::abort();
            }
        }
    }
    void RestoreOwnSession() override {}
    void LinkChanged() override {}
    void CloseOpenQuestion() override {}
    std::string NameOfAddress(const std::string& a) override { return a; }

    static void Check(int b) {
        if (b < 0 || b >= kButtonCount) {
            std::abort();
        }
    }
    RecordArray records{};
};

void Deliver(NetLink& link, NetCommand command, const std::string& from) {
    NetMessage message;
    message.command = command;
    Datagram d = EncodeMessage(message);
    Scramble(std::span<uint8_t>(d.bytes.data(), d.size), ScrambleKey(from));
    link.OnDatagram(d.view(), from);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    FuzzClock clock;
    NullTransport transport;
    OkBox box;
    CountingHost host;
    LinkState state;
    NetLink link(state, transport, host, box, clock);
    const int setup = data[0] % 3;
    if (setup < 2) {
        link.BeginConnect(kPeer, "peer", /*thisMaster=*/setup == 1, nullptr);
        Deliver(link, NetCommand::kPresent, kPeer);
        Deliver(link, NetCommand::kAccepted, kPeer);
    }
    size_t at = 1;
    // Each datagram: two length bytes (mod 601), one sender byte, the bytes.
    while (at + 3 <= size) {
        const size_t wanted = ((size_t{data[at]} << 8) | data[at + 1]) % (kMaxDatagram + 1);
        const std::string from = (data[at + 2] & 1) ? kThird : kPeer;
        at += 3;
        const size_t length = std::min(wanted, size - at);
        link.OnDatagram(std::span<const uint8_t>(data + at, length), from);
        at += length;
        clock.ms += 7;
        link.Poll();
    }
    return 0;
}
