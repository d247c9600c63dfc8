#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "fwreg/firewall.h"

namespace wickett {
namespace {

class FakeFirewall final : public Firewall {
public:
    FakeFirewall(bool active, bool allows) : active_(active), allows_(allows) {}
    bool IsActive() override { return active_; }
    bool AllowsLinkPort() override {
        ++queries;
        return allows_;
    }
    void AllowLinkPort() override { ++allows; }

    int queries = 0;
    int allows = 0;

private:
    bool active_;
    bool allows_;
};

struct Case {
    const char* name;
    bool firstActive, firstAllows, secondActive, secondAllows;
    int firstAllowCalls, secondAllowCalls;
};

class RegisterPlayerTest : public ::testing::TestWithParam<Case> {};

TEST_P(RegisterPlayerTest, ChangesOnlyTheFirstActiveFirewallAndOnlyWhenNeeded) {
    const Case& c = GetParam();
    FakeFirewall first(c.firstActive, c.firstAllows);
    FakeFirewall second(c.secondActive, c.secondAllows);
    const std::array<Firewall*, 2> firewalls{&first, &second};
    RegisterPlayer(firewalls);
    EXPECT_EQ(first.allows, c.firstAllowCalls);
    EXPECT_EQ(second.allows, c.secondAllowCalls);
    if (!c.firstActive) {
        EXPECT_EQ(first.queries, 0) << "an inactive firewall is not asked";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Firewalls, RegisterPlayerTest,
    ::testing::Values(Case{"NoneActive", false, false, false, false, 0, 0},
                      Case{"AlreadyAllowed", true, true, true, false, 0, 0},
                      Case{"MissingIsAdded", true, false, true, false, 1, 0},
                      Case{"FirstInactiveSecondAdds", false, false, true, false, 0, 1},
                      Case{"SecondAlreadyAllows", false, false, true, true, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace wickett
