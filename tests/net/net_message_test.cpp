#include "net/net_message.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamberline {
namespace {

std::vector<uint8_t> Plain(const NetMessage& message) {
    const Datagram d = EncodeMessage(message);
    return {d.view().begin(), d.view().end()};
}

TEST(NetMessage, EveryCommandHasItsLengthAndComesBack) {
    struct Case {
        NetCommand command;
        size_t length;
    };
    const Case cases[] = {
        {NetCommand::kProbe, 2},
        {NetCommand::kPresent, 2},
        {NetCommand::kRequestYouMaster, 2},
        {NetCommand::kRequestYouSlave, 2},
        {NetCommand::kAccepted, 2},
        {NetCommand::kDenied, 2},
        {NetCommand::kDisconnect, 2},
        {NetCommand::kGetRecord, 4},
        {NetCommand::kRecord, 600},
        {NetCommand::kStart, 4},
        {NetCommand::kStarted, 4},
        {NetCommand::kRelease, 4},
        {NetCommand::kStopped, 4},
        {NetCommand::kState, 9},
        {NetCommand::kStopAll, 2},
        {NetCommand::kClearBuzzers, 2},
        {NetCommand::kResync, 2},
    };
    for (const Case& c : cases) {
        NetMessage message;
        message.command = c.command;
        message.button = CarriesButton(c.command) ? 335 : -1;
        const std::vector<uint8_t> bytes = Plain(message);
        ASSERT_EQ(bytes.size(), c.length) << static_cast<int>(c.command);
        EXPECT_EQ(bytes[0], 0x25);
        EXPECT_EQ(bytes[1], static_cast<uint8_t>(c.command));
        const std::optional<NetMessage> back = DecodeMessage(bytes);
        ASSERT_TRUE(back) << static_cast<int>(c.command);
        EXPECT_EQ(back->command, c.command);
        EXPECT_EQ(back->button, message.button);
    }
}

TEST(NetMessage, StateAndRecordKeepTheirLayout) {
    NetMessage state;
    state.command = NetCommand::kState;
    state.button = 0x0123;
    state.state = RemoteState::kFadingOut;
    state.clockMs = 0x0A0B0C0D;
    EXPECT_EQ(Plain(state),
              (std::vector<uint8_t>{0x25, 13, 0x01, 0x23, 5, 0x0A, 0x0B, 0x0C, 0x0D}));

    NetMessage record;
    record.command = NetCommand::kRecord;
    record.button = 7;
    SetPath(record.record, "/show/bell.wav");
    record.record.volume = 80;
    record.record.status = STATUS_ASSIGNED;
    const std::vector<uint8_t> bytes = Plain(record);
    EXPECT_EQ(bytes[4], '/');
    EXPECT_EQ(bytes[4 + 0x105], 80);
    EXPECT_EQ(bytes[596], 0);
    const std::optional<NetMessage> back = DecodeMessage(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(PathOf(back->record), "/show/bell.wav");
    EXPECT_EQ(back->record.status, STATUS_ASSIGNED);
}

TEST(NetMessage, ADatagramOfAnyOtherLengthIsNoCommand) {
    // Each command one byte short and one byte long: a short start must not
    // reuse the index of the datagram before it.
    for (int code = 0; code < kNetCommandCount; ++code) {
        NetMessage message;
        message.command = static_cast<NetCommand>(code);
        message.button = CarriesButton(message.command) ? 3 : -1;
        std::vector<uint8_t> bytes = Plain(message);
        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        bytes.pop_back();
        EXPECT_FALSE(DecodeMessage(bytes)) << code;
        EXPECT_FALSE(DecodeMessage(longer)) << code;
    }
    EXPECT_FALSE(DecodeMessage(std::vector<uint8_t>{0x25}));
    EXPECT_FALSE(DecodeMessage(std::vector<uint8_t>{}));
}

TEST(NetMessage, FieldsOutOfRangeAreRefused) {
    const std::vector<std::vector<uint8_t>> refused = {
        {0x24, 0},   // no marker
        {0x25, 17},  // no such command
        {0x25, 0xFF},
        {0x25, 9, 0x01, 0x50},            // button 336
        {0x25, 7, 0xFF, 0xFF},            // get record 65535
        {0x25, 13, 0, 1, 6, 0, 0, 0, 0},  // no state 6
    };
    for (const std::vector<uint8_t>& bytes : refused) {
        EXPECT_FALSE(DecodeMessage(bytes)) << int(bytes[1]);
    }
}

TEST(NetMessage, ARecordsStringsAlwaysEnd) {
    std::vector<uint8_t> bytes(600, 'A');
    bytes[0] = 0x25;
    bytes[1] = 8;
    bytes[2] = 0;
    bytes[3] = 1;
    const std::optional<NetMessage> message = DecodeMessage(bytes);
    ASSERT_TRUE(message);
    EXPECT_EQ(PathOf(message->record).size(), kPathSize - 1);
    EXPECT_EQ(CaptionOf(message->record).size(), kCaptionSize - 1);
    EXPECT_EQ(message->record.path[kPathSize - 1], '\0');
    EXPECT_EQ(message->record.caption[kCaptionSize - 1], '\0');
}

TEST(NetMessage, EachSideScramblesWithItsOwnAddress) {
    // Two addresses with different digit sums: what one scrambles with its
    // own key the other reads with the key of the sender's address.
    const std::string a = "10.77.0.1";
    const std::string b = "192.168.20.117";
    ASSERT_NE(ScrambleKey(a), ScrambleKey(b));
    EXPECT_EQ(ScrambleKey(a), (49 + 48 + 55 + 55 + 48 + 49) % 256);
    NetMessage start;
    start.command = NetCommand::kStart;
    start.button = 41;
    std::vector<uint8_t> bytes = Plain(start);
    Scramble(bytes, ScrambleKey(a));
    std::vector<uint8_t> wrong = bytes;
    Descramble(wrong, ScrambleKey(b));
    EXPECT_FALSE(DecodeMessage(wrong));
    Descramble(bytes, ScrambleKey(a));
    ASSERT_TRUE(DecodeMessage(bytes));
    EXPECT_EQ(DecodeMessage(bytes)->button, 41);
}

}  // namespace
}  // namespace tamberline
