#include <gtest/gtest.h>

#include "fwreg/ufw.h"

namespace wickett {
namespace {

constexpr const char* kHeader =
    "Status: active\n\nTo                         Action      From\n"
    "--                         ------      ----\n";

TEST(UfwStatus, ActiveOnlyWhenTheStatusLineSaysSo) {
    EXPECT_TRUE(UfwStatusActive(kHeader));
    EXPECT_FALSE(UfwStatusActive("Status: inactive\n"));
    EXPECT_FALSE(UfwStatusActive("ERROR: You need to be root to run this script\n"));
    EXPECT_FALSE(UfwStatusActive(""));
}

struct RuleCase {
    const char* rule;
    bool allows;
};

class UfwRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(UfwRuleTest, ReadsWhetherTheLinkPortIsLetIn) {
    const std::string status = std::string(kHeader) + GetParam().rule + "\n";
    EXPECT_EQ(UfwStatusAllowsLinkPort(status), GetParam().allows) << GetParam().rule;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, UfwRuleTest,
    ::testing::Values(
        RuleCase{"4320/udp                   ALLOW       Anywhere                   # Tamberline",
                 true},
        RuleCase{"4320/udp (v6)              ALLOW       Anywhere (v6)", true},
        RuleCase{"4320                       ALLOW IN    Anywhere", true},
        RuleCase{"4000:4400/udp              ALLOW       Anywhere", true},
        RuleCase{"4320/tcp                   ALLOW       Anywhere", false},
        RuleCase{"4320/udp                   DENY        Anywhere", false},
        RuleCase{"14320/udp                  ALLOW       Anywhere", false},
        RuleCase{"4321:4400/udp              ALLOW       Anywhere", false},
        RuleCase{"99999999999999999999/udp   ALLOW       Anywhere", false},
        RuleCase{"4320:/udp                  ALLOW       Anywhere", false},
        RuleCase{"22/tcp                     ALLOW       Anywhere", false},
        RuleCase{"4320/udp", false}));

}  // namespace
}  // namespace wickett
