#include "base/message_box.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

struct ResultCase {
    unsigned set;
    std::vector<int> results;  // per button, left to right
};

TEST(MessageBoxTest, EveryButtonOfEverySetGivesItsResultCode) {
    const ResultCase cases[] = {
        {0, {kResultOk}},
        {1, {kResultOk, kResultCancel}},
        {2, {kResultAbort, kResultRetry, kResultIgnore}},
        {3, {kResultYes, kResultNo, kResultCancel}},
        {4, {kResultYes, kResultNo}},
        {5, {kResultRetry, kResultCancel}},
        {6, {kResultOk, kResultCancel}},
        {7, {kResultYes, kResultNo, kResultCancel}},
        {8, {kResultOk}},
        {9, {kResultOk, kResultCancel}},
        {10, {kResultYes, kResultYesToAll, kResultNo, kResultCancel}},
        {11, {kResultYes, kResultNo, kResultCancel}},
    };
    for (const ResultCase& c : cases) {
        ASSERT_EQ(MessageBoxButtons(c.set).size(), c.results.size()) << "set " << c.set;
        for (size_t i = 0; i < c.results.size(); ++i) {
            EXPECT_EQ(MessageBoxResultFor(c.set | mb::kIconQuestion, static_cast<int>(i)),
                      c.results[i])
                << "set " << c.set << " button " << i;
        }
    }
}

TEST(MessageBoxTest, SetAboveElevenHasNoButtonsAndEndsWithZero) {
    EXPECT_TRUE(MessageBoxButtons(12).empty());
    EXPECT_EQ(MessageBoxResultFor(12, 0), kResultNone);
}

TEST(MessageBoxTest, IconAndDefaultButtonComeFromTheirNibbles) {
    EXPECT_EQ(MessageBoxIcon(mb::kIconStop), MessageIcon::kStop);
    EXPECT_EQ(MessageBoxIcon(mb::kIconQuestion | mb::kYesNo), MessageIcon::kQuestion);
    EXPECT_EQ(MessageBoxIcon(mb::kIconInformation), MessageIcon::kInformation);
    EXPECT_EQ(MessageBoxIcon(0x80), MessageIcon::kExclamation);
    EXPECT_EQ(MessageBoxDefaultButton(mb::kYesNoCancel | mb::kDefault3), 2);
    // A default past the last button falls on the last one.
    EXPECT_EQ(MessageBoxDefaultButton(mb::kYesNo | mb::kDefault4), 1);
}

}  // namespace
}  // namespace tamberline
