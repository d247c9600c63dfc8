#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "session/button_record.h"

namespace tamberline {

// The link's datagrams on UDP port 4320: byte 0 "%", byte 1 the command,
// then the button index (high byte first), a state code, a clock and a
// whole record, as each command needs. Every command has one length.
inline constexpr uint16_t kLinkPort = 4320;
inline constexpr size_t kMaxDatagram = 600;
inline constexpr uint8_t kNetMarker = 0x25;

enum class NetCommand : uint8_t {
    kProbe = 0,
    kPresent = 1,
    kRequestYouMaster = 2,
    kRequestYouSlave = 3,
    kAccepted = 4,
    kDenied = 5,
    kDisconnect = 6,
    kGetRecord = 7,
    kRecord = 8,
    kStart = 9,
    kStarted = 10,
    kRelease = 11,
    kStopped = 12,
    kState = 13,
    kStopAll = 14,
    kClearBuzzers = 15,
    kResync = 16,
};
inline constexpr int kNetCommandCount = 17;

// What command 13 says a button does; the highest that applies is sent.
enum class RemoteState : uint8_t {
    kIdle = 0,
    kRunning = 1,
    kPaused = 2,
    kLocked = 3,
    kFadingIn = 4,
    kFadingOut = 5,
};

struct NetMessage {
    NetCommand command = NetCommand::kProbe;
    int button = -1;  // 0..335 for commands 7..13
    RemoteState state = RemoteState::kIdle;
    uint32_t clockMs = 0;
    ButtonRecord record{};  // command 8
};

// The one length a command's datagram has.
size_t CommandLength(NetCommand command);
bool CarriesButton(NetCommand command);

struct Datagram {
    std::array<uint8_t, kMaxDatagram> bytes{};
    size_t size = 0;
    std::span<const uint8_t> view() const { return {bytes.data(), size}; }
};

// Plain bytes of `message` (bytes past its length are 0), not scrambled.
Datagram EncodeMessage(const NetMessage& message);

// The sum of the digits' character codes of a dotted address, mod 256.
uint8_t ScrambleKey(std::string_view dottedAddress);
void Scramble(std::span<uint8_t> bytes, uint8_t key);
void Descramble(std::span<uint8_t> bytes, uint8_t key);

// A descrambled datagram as a message, or nothing when it is not one: a
// wrong marker, an unknown command, a length other than the command's, a
// button outside 0..335 or an unknown state code. A record's path and
// caption always end in a NUL.
std::optional<NetMessage> DecodeMessage(std::span<const uint8_t> bytes);

}  // namespace tamberline
