#include "files/natural_order.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

TEST(NaturalOrderTest, SortsNumbersByValueAndLettersWithoutCase) {
    using Names = std::vector<std::string>;
    const struct {
        Names in;
        Names out;
    } cases[] = {
        {{"File9.wav", "File10.wav", "File1.wav"}, {"File1.wav", "File9.wav", "File10.wav"}},
        {{"b", "A", "a2"}, {"A", "a2", "b"}},
        {{"Cue 2 take 10", "Cue 10 take 1", "Cue 2 take 9"},
         {"Cue 2 take 9", "Cue 2 take 10", "Cue 10 take 1"}},
        // Equal keys keep their order.
        {{"x07", "X7", "x007"}, {"x07", "X7", "x007"}},
        // Bytes that are not UTF-8 sort as bytes and break nothing.
        {{"\xff"
          "2",
          "\xfe"
          "10",
          "\xfe"
          "9"},
         {"\xfe"
          "9",
          "\xfe"
          "10",
          "\xff"
          "2"}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        Names names = c.in;
        SortNatural(names);
        EXPECT_EQ(names, c.out);
    }
}

TEST(NaturalOrderTest, KeysPadEveryDigitRunToTheLongestRun) {
    EXPECT_EQ(NaturalSortKeys({"a1b22", "c333"}), (std::vector<std::string>{"a001b022", "c333"}));
}

}  // namespace
}  // namespace tamberline
