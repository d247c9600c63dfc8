#include "net/net_message.h"

#include <algorithm>

namespace tamberline {

namespace {
constexpr size_t kShortLength = 2;
constexpr size_t kButtonLength = 4;
constexpr size_t kStateLength = 9;
constexpr size_t kRecordOffset = 4;
constexpr int kLastCommand = kNetCommandCount - 1;
constexpr uint8_t kLastState = static_cast<uint8_t>(RemoteState::kFadingOut);
}  // namespace

bool CarriesButton(NetCommand command) {
    const auto code = static_cast<int>(command);
    return code >= static_cast<int>(NetCommand::kGetRecord) &&
           code <= static_cast<int>(NetCommand::kState);
}

size_t CommandLength(NetCommand command) {
    switch (command) {
        case NetCommand::kRecord: return kMaxDatagram;
        case NetCommand::kState: return kStateLength;
        default: return CarriesButton(command) ? kButtonLength : kShortLength;
    }
}

Datagram EncodeMessage(const NetMessage& message) {
    Datagram out;
    out.size = CommandLength(message.command);
    out.bytes[0] = kNetMarker;
    out.bytes[1] = static_cast<uint8_t>(message.command);
    if (CarriesButton(message.command)) {
        const auto index = static_cast<uint16_t>(message.button);
        out.bytes[2] = static_cast<uint8_t>(index >> 8);
        out.bytes[3] = static_cast<uint8_t>(index & 0xFF);
    }
    if (message.command == NetCommand::kState) {
        out.bytes[4] = static_cast<uint8_t>(message.state);
        for (int i = 0; i < 4; ++i) {
            out.bytes[5 + static_cast<size_t>(i)] =
                static_cast<uint8_t>(message.clockMs >> (24 - 8 * i));
        }
    }
    if (message.command == NetCommand::kRecord) {
        EncodeRecord(message.record, std::span<uint8_t, kRecordSize>(
                                         out.bytes.data() + kRecordOffset, kRecordSize));
    }
    return out;
}

uint8_t ScrambleKey(std::string_view dottedAddress) {
    unsigned sum = 0;
    for (const char c : dottedAddress) {
        if (c != '.') {
            sum += static_cast<unsigned char>(c);
        }
    }
    return static_cast<uint8_t>(sum & 0xFF);
}

void Scramble(std::span<uint8_t> bytes, uint8_t key) {
    for (uint8_t& b : bytes) {
        b = static_cast<uint8_t>(b + key);
    }
}

void Descramble(std::span<uint8_t> bytes, uint8_t key) {
    for (uint8_t& b : bytes) {
        b = static_cast<uint8_t>(b - key);
    }
}

std::optional<NetMessage> DecodeMessage(std::span<const uint8_t> bytes) {
    if (bytes.size() < kShortLength || bytes[0] != kNetMarker || bytes[1] > kLastCommand) {
        return std::nullopt;
    }
    NetMessage message;
    message.command = static_cast<NetCommand>(bytes[1]);
    // A datagram of another length is no command at all: a short one would
    // otherwise act on the index or record left from the last.
    if (bytes.size() != CommandLength(message.command)) {
        return std::nullopt;
    }
    if (CarriesButton(message.command)) {
        message.button = (bytes[2] << 8) | bytes[3];
        if (message.button >= kButtonCount) {
            return std::nullopt;
        }
    }
    if (message.command == NetCommand::kState) {
        if (bytes[4] > kLastState) {
            return std::nullopt;
        }
        message.state = static_cast<RemoteState>(bytes[4]);
        message.clockMs = (uint32_t{bytes[5]} << 24) | (uint32_t{bytes[6]} << 16) |
                          (uint32_t{bytes[7]} << 8) | uint32_t{bytes[8]};
    }
    if (message.command == NetCommand::kRecord) {
        message.record = DecodeRecord(
            std::span<const uint8_t, kRecordSize>(bytes.data() + kRecordOffset, kRecordSize));
        message.record.path[kPathSize - 1] = '\0';
        message.record.caption[kCaptionSize - 1] = '\0';
    }
    return message;
}

}  // namespace tamberline
