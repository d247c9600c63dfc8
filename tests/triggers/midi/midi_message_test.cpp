#include "triggers/midi/midi_message.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamberline {
namespace {

std::vector<uint32_t> Parse(MidiByteParser& parser, std::vector<uint8_t> bytes) {
    std::vector<uint32_t> out;
    parser.Feed(bytes.data(), bytes.size(), [&](uint32_t m) { out.push_back(m); });
    return out;
}

struct ParseCase {
    const char* name;
    std::vector<std::vector<uint8_t>> events;
    std::vector<uint32_t> messages;
};

class ParserCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParserCases, SplitsEventsIntoShortMessages) {
    MidiByteParser parser;
    std::vector<uint32_t> got;
    for (const auto& event : GetParam().events) {
        for (uint32_t m : Parse(parser, event)) {
            got.push_back(m);
        }
    }
    EXPECT_EQ(got, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Midi, ParserCases,
    ::testing::Values(
        ParseCase{"NoteOn", {{0x91, 60, 100}}, {0x643C91}},
        ParseCase{"RunningStatusInOneEvent", {{0x90, 60, 1, 61, 2}}, {0x013C90, 0x023D90}},
        ParseCase{"RunningStatusAcrossEvents", {{0x90, 60, 1}, {62, 3}}, {0x013C90, 0x033E90}},
        ParseCase{"DataWithoutStatusIsDropped", {{60, 100}}, {}},
        ParseCase{"TruncatedMessageIsDropped", {{0x90, 60}, {0xB0, 123, 0}}, {0x007BB0}},
        ParseCase{"RealTimeInsideAMessage", {{0x90, 60, 0xF8, 5}}, {0xF8, 0x053C90}},
        ParseCase{"SysExIsSkippedRealTimeKept",
                  {{0xF0, 1, 2, 0xFE, 3, 0xF7, 0x80, 60, 0}},
                  {0xFE, 0x003C80}},
        ParseCase{"SysExCutShortEndsAtTheNextStatus", {{0xF0, 1, 2, 0x92, 10, 20}}, {0x140A92}},
        ParseCase{"QuarterFrameEndsRunningStatus",
                  {{0x90, 60, 1, 0xF1, 0x25, 61, 2}},
                  {0x013C90, 0x25F1}},
        ParseCase{"ProgramChangeHasOneDataByte", {{0xC0, 5, 6}}, {0x05C0, 0x06C0}},
        ParseCase{"SystemReset", {{0xFF}}, {0xFF}}),
    [](const auto& info) { return std::string(info.param.name); });

struct KeepCase {
    uint32_t message;
    bool ltcLocked;
    bool kept;
};

class KeepCases : public ::testing::TestWithParam<KeepCase> {};

TEST_P(KeepCases, FiltersAsTheInputDoes) {
    EXPECT_EQ(KeepIncoming(GetParam().message, GetParam().ltcLocked), GetParam().kept)
        << std::hex << GetParam().message;
}

INSTANTIATE_TEST_SUITE_P(
    Midi, KeepCases,
    ::testing::Values(KeepCase{0x003C80, false, true}, KeepCase{0x7F3C9F, true, true},
                      KeepCase{0x0078B3, false, true}, KeepCase{0xFF, true, true},
                      KeepCase{0x25F1, false, true}, KeepCase{0x25F1, true, false},
                      KeepCase{0x0101F3, false, true}, KeepCase{0xF8, false, false},
                      KeepCase{0xFE, false, false}, KeepCase{0x0040A0, false, false},
                      KeepCase{0x05C0, false, false}, KeepCase{0x4000E0, false, false}));

}  // namespace
}  // namespace tamberline
