#include "playback/graph/output_list.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

OutputTable Table(const std::vector<std::string>& cards, bool engine = false) {
    OutputTable table;
    if (engine) {
        for (const char* pair : {"ASIO 1+2", "ASIO 3+4", "ASIO 5+6", "ASIO 7+8"}) {
            table.entries.push_back({pair, pair, true});
        }
        table.asioActive = true;
    }
    for (const std::string& card : cards) {
        table.entries.push_back({"dev " + card, card, false});
    }
    return table;
}

TEST(OutputList, EnginePairsThenCardsByNameThenEmptyRowsNumberedByRow) {
    // Cards found after the pairs, in an order the list sorts.
    const OutputTable table = Table({"zeta", "Alpha", "beta"}, true);
    OutputList list;
    list.Fill(table);
    ASSERT_EQ(list.Count(), 32);
    const std::vector<std::pair<std::string, int>> expected = {
        {"ASIO 1+2", 0}, {"ASIO 3+4", 1}, {"ASIO 5+6", 2}, {"ASIO 7+8", 3},
        {"Alpha", 5},    {"beta", 6},     {"zeta", 4},     {"", 7}};
    for (int row = 0; row < static_cast<int>(expected.size()); ++row) {
        EXPECT_EQ(list.Text(row), expected[row].first) << row;
        EXPECT_EQ(list.ItemData(row), expected[row].second) << row;
    }
    EXPECT_EQ(list.ItemData(31), 31);
    EXPECT_EQ(list.TableIndex(4, table), 5);
    EXPECT_EQ(list.TableIndex(7, table), -1);
    EXPECT_EQ(list.TableIndex(32, table), -1);
}

TEST(OutputList, EnginePairsStayOnTopWhateverTheCardsAreCalled) {
    OutputList list;
    list.Fill(Table({"AAA", "0 Card", "ASIO 0"}, true));
    EXPECT_EQ(list.Text(0), "ASIO 1+2");
    EXPECT_EQ(list.Text(3), "ASIO 7+8");
    EXPECT_EQ(list.Text(4), "0 Card");
}

// Two cards the operator named alike must still be two rows naming two cards.
TEST(OutputList, EqualNamesKeepTheirOwnEntries) {
    const OutputTable table = Table({"Stage", "Booth", "stage"});
    OutputList list;
    list.Fill(table);
    EXPECT_EQ(list.Text(1), "Stage");
    EXPECT_EQ(list.ItemData(1), 0);
    EXPECT_EQ(list.Text(2), "stage");
    EXPECT_EQ(list.ItemData(2), 2);
    EXPECT_EQ(list.TableIndex(3, table), -1);
}

TEST(OutputList, FindStringMatchesTheFirstRowBeginningWithThePrefixIgnoringCase) {
    OutputList list;
    list.Fill(Table({"Speakers 2", "Speakers", "Headphones"}));
    EXPECT_EQ(list.FindString("speakers"), 1);
    EXPECT_EQ(list.FindString("SPEAKERS 2"), 2);
    EXPECT_EQ(list.FindString("Head"), 0);
    EXPECT_EQ(list.FindString("Booth"), -1);
}

struct ComboCase {
    int cards;
    bool engine;
    int rows;
};

class OutputComboTest : public ::testing::TestWithParam<ComboCase> {};

TEST_P(OutputComboTest, SixteenTwentyFourOrThirtyTwoRows) {
    std::vector<std::string> names;
    for (int i = 0; i < GetParam().cards; ++i) {
        names.push_back("Card " + std::string(1, static_cast<char>('A' + i)));
    }
    const std::vector<OutputComboRow> rows = OutputComboRows(Table(names, GetParam().engine));
    ASSERT_EQ(static_cast<int>(rows.size()), GetParam().rows);
    const int named = GetParam().cards + (GetParam().engine ? 4 : 0);
    for (int row = named; row < GetParam().rows; ++row) {
        EXPECT_EQ(rows[row].itemData, -1);
        EXPECT_EQ(rows[row].text.substr(6), "Not Available");
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, OutputComboTest,
                         ::testing::Values(ComboCase{0, false, 16}, ComboCase{3, false, 16},
                                           ComboCase{15, false, 16}, ComboCase{16, false, 24},
                                           ComboCase{12, true, 24}, ComboCase{23, false, 24},
                                           ComboCase{24, false, 32}, ComboCase{28, true, 32}));

TEST(OutputCombo, RowsAreNumberedAndFollowTheOutputList) {
    const OutputTable table = Table({"Booth", "Amp"}, true);
    const std::vector<OutputComboRow> rows = OutputComboRows(table);
    EXPECT_EQ(rows[0].text, "  1 - ASIO 1+2");
    EXPECT_EQ(rows[0].itemData, 0);
    EXPECT_EQ(rows[4].text, "  5 - Amp");
    EXPECT_EQ(rows[4].itemData, 5);
    EXPECT_EQ(rows[5].text, "  6 - Booth");
    EXPECT_EQ(rows[6].text, "  7 - Not Available");
    EXPECT_EQ(rows[15].text, " 16 - Not Available");
    OutputList list;
    list.Fill(table);
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(list.ItemData(row), rows[row].itemData);
    }
}

}  // namespace
}  // namespace tamberline
