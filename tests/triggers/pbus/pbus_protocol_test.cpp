#include "triggers/pbus/pbus_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamberline {
namespace {

using Action = PbusEffects::Action;

std::vector<std::string> Lines(const std::string& bytes, PbusLineAssembler& assembler) {
    std::vector<std::string> lines;
    assembler.Feed(bytes.data(), bytes.size(),
                   [&lines](const std::string& line) { lines.push_back(line); });
    return lines;
}

struct AssemblyCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

class PbusAssemblyTest : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(PbusAssemblyTest, CutsTheStreamIntoLines) {
    PbusLineAssembler assembler;
    EXPECT_EQ(Lines(GetParam().bytes, assembler), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, PbusAssemblyTest,
    ::testing::Values(AssemblyCase{"two_lines", "Q00\rT0000010\r", {"Q00", "T0000010"}},
                      AssemblyCase{"lone_cr", "\r", {""}}, AssemblyCase{"no_cr_yet", "T00000", {}},
                      AssemblyCase{"nul_and_ff_are_kept",
                                   std::string("A\0\xFF", 3) + "\r",
                                   {std::string("A\0\xFF", 3)}},
                      AssemblyCase{"line_feed_is_a_character", "Q00\n\r", {"Q00\n"}},
                      AssemblyCase{"flow_control_never_in_a_line",
                                   "T00\x13"
                                   "00\x11"
                                   "010\r",
                                   {"T0000010"}},
                      AssemblyCase{"a_line_at_the_limit_is_kept",
                                   std::string(1024, 'x') + "\r",
                                   {std::string(1024, 'x')}},
                      // The tail of an over-long line is never taken for a command.
                      AssemblyCase{"over_long_line_dropped_to_its_end",
                                   std::string(1025, 'x') + "T0000010\rQ00\r",
                                   {"Q00"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PbusAssembly, TenMegabytesWithoutCarriageReturnKeepNoMoreThanTheLimit) {
    PbusLineAssembler assembler;
    const std::string chunk(64 * 1024, 'T');
    int lines = 0;
    for (int k = 0; k < 160; ++k) {
        assembler.Feed(chunk.data(), chunk.size(), [&lines](const std::string&) { ++lines; });
        ASSERT_LE(assembler.pending(), kPbusLineLimit);
    }
    EXPECT_EQ(Lines("\rQ00\r", assembler), std::vector<std::string>{"Q00"});
    EXPECT_EQ(lines, 0);
}

// The setup of the examples: addresses A..D at bus addresses 0..3.
PbusConfig Defaults() {
    return PbusConfig{};
}

struct ParseCase {
    const char* name;
    PbusConfig config;
    std::vector<std::string> lines;  // the last one is checked
    std::string status;
    std::string reply;
    std::vector<Action> actions;
};

class PbusParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PbusParseTest, LastLineHasItsEffects) {
    const ParseCase& c = GetParam();
    PbusParser parser;
    PbusEffects effects;
    for (const std::string& line : c.lines) {
        effects = parser.Parse(line, c.config);
    }
    EXPECT_EQ(effects.statusText, c.status);
    EXPECT_EQ(effects.reply, c.reply);
    EXPECT_EQ(effects.actions, c.actions);
}

PbusConfig AandBOnBusZero() {
    PbusConfig config;
    config.addresses = {1, 1, 0, 5};
    return config;
}

PbusConfig PlayAndStopOnOneCode() {
    PbusConfig config;
    config.playMask = 4;
    config.stopMask = 4;
    return config;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PbusParseTest,
    ::testing::Values(
        ParseCase{"query_names_every_matching_address",
                  AandBOnBusZero(),
                  {"Q00"},
                  " Last PBus :  Q00",
                  "Tamberline AB\r",
                  {}},
        ParseCase{
            "query_without_match_has_no_reply", Defaults(), {"Q17"}, " Last PBus :  Q17", "", {}},
        ParseCase{"query_of_bus_address_three",
                  Defaults(),
                  {"Q03"},
                  " Last PBus :  Q03",
                  "Tamberline D\r",
                  {}},
        ParseCase{"short_query_is_shown_only", Defaults(), {"Q0"}, " Last PBus :  Q0", "", {}},
        ParseCase{"register_then_trigger_starts_button_100",
                  Defaults(),
                  {"R000001063", "T0000010"},
                  " Last PBus :  T0000010",
                  "",
                  {{99, true}}},
        ParseCase{"stop_code_releases",
                  Defaults(),
                  {"R000001063", "T0000011"},
                  " Last PBus :  T0000011",
                  "",
                  {{99, false}}},
        ParseCase{"code_in_neither_mask_does_nothing",
                  Defaults(),
                  {"R000001063", "T0000012"},
                  " Last PBus :  T0000012",
                  "",
                  {}},
        ParseCase{"start_before_release_when_both",
                  PlayAndStopOnOneCode(),
                  {"R000001005", "T0000012"},
                  " Last PBus :  T0000012",
                  "",
                  {{5, true}, {5, false}}},
        ParseCase{"full_mask_reaches_every_address",
                  Defaults(),
                  {"RFFFFFF007", "TFFFFFF0"},
                  " Last PBus :  TFFFFFF0",
                  "",
                  {{7, true}, {107, true}, {207, true}, {307, true}}},
        ParseCase{"mask_of_bus_address_two_is_c",
                  Defaults(),
                  {"R000004010", "T0000040"},
                  " Last PBus :  T0000040",
                  "",
                  {{216, true}}},
        ParseCase{
            "no_register_selected_yet", Defaults(), {"T0000010"}, " Last PBus :  T0000010", "", {}},
        ParseCase{"foreign_mask_ignored_entirely",
                  Defaults(),
                  {"R000001001", "R000010002", "T0000010"},
                  " Last PBus :  T0000010",
                  "",
                  {{1, true}}},
        ParseCase{"lower_case_works",
                  Defaults(),
                  {"r000001063", "t0000010"},
                  " Last PBus :  T0000010",
                  "",
                  {{99, true}}},
        ParseCase{"cut_to_twelve_characters",
                  Defaults(),
                  {"R000001063FFFF", "T0000010ZZZZZZ"},
                  " Last PBus :  T0000010ZZZZ",
                  "",
                  {{99, true}}},
        ParseCase{"non_hex_digit_counts_as_zero",
                  Defaults(),
                  {"R00000106G", "T0000010"},
                  " Last PBus :  T0000010",
                  "",
                  {{96, true}}},
        // The setup dialog says "Registers 0..99 map to buttons 1..100".
        ParseCase{"address_a_register_100_selects_nothing",
                  Defaults(),
                  {"R000001063", "R000001064", "T0000010"},
                  " Last PBus :  T0000010",
                  "",
                  {}},
        ParseCase{"address_d_last_register_is_35",
                  Defaults(),
                  {"R000008023", "T0000080"},
                  " Last PBus :  T0000080",
                  "",
                  {{335, true}}},
        ParseCase{"address_d_register_36_selects_nothing",
                  Defaults(),
                  {"R000008024", "T0000080"},
                  " Last PBus :  T0000080",
                  "",
                  {}},
        ParseCase{"short_trigger_is_shown_only",
                  Defaults(),
                  {"R000001063", "T000001"},
                  " Last PBus :  T000001",
                  "",
                  {}},
        ParseCase{"short_register_changes_nothing",
                  Defaults(),
                  {"R000001063", "R00000100", "T0000010"},
                  " Last PBus :  T0000010",
                  "",
                  {{99, true}}},
        ParseCase{"other_letters_do_nothing",
                  Defaults(),
                  {"R000001063", "X0000010"},
                  " Last PBus :  X0000010",
                  "",
                  {}},
        ParseCase{"empty_line_is_not_shown", Defaults(), {""}, "", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PbusParse, ReplyIsAtMostSixteenBytes) {
    PbusConfig config;
    config.addresses = {1, 1, 1, 1};
    PbusParser parser;
    const std::string reply = parser.Parse("Q00", config).reply;
    EXPECT_EQ(reply, "Tamberline ABCD\r");
    EXPECT_EQ(reply.size(), 16u);
}

TEST(PbusParse, UnusedAddressesAreNeverAddressed) {
    PbusConfig config;
    config.addresses = {0, 25, 2, 0};  // 25 is out of range
    EXPECT_EQ(PbusAddressMask(config.addresses), 0x2u);
    PbusParser parser;
    parser.Parse("RFFFFFF001", config);
    EXPECT_EQ(parser.SelectedButton(0), -1);
    EXPECT_EQ(parser.SelectedButton(1), -1);
    EXPECT_EQ(parser.SelectedButton(2), 201);
    EXPECT_TRUE(parser.Parse("Q18", config).reply.empty());  // value 25 answers nothing
}

}  // namespace
}  // namespace tamberline
