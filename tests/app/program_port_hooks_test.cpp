#include "app/program_port_hooks.h"

#include <gtest/gtest.h>

#include "app/console_menu.h"
#include "session/registry.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

class ProgramPortHooksTest : public ::testing::Test {
protected:
    ProgramPortHooksTest() {
        hooks_.Plug(TriggerPort::kMidi, {[this] {
                                             ++opens_;
                                             return opens_ <= openable_;
                                         },
                                         [this] { ++closes_; }});
    }

    testing::TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ConsoleMenu menu_;
    ProgramPortHooks hooks_;
    std::map<int, std::string> fields_;
    PortSwitches switches_{registry_, menu_, hooks_,
                           [this](int field, const std::string& text) { fields_[field] = text; }};
    int opens_ = 0;
    int closes_ = 0;
    int openable_ = 10;
};

TEST_F(ProgramPortHooksTest, APortPluggedInOpensAndClosesOthersStayOff) {
    EXPECT_TRUE(switches_.Enable(TriggerPort::kMidi));
    EXPECT_FALSE(switches_.Enable(TriggerPort::kPbus));
    switches_.Disable(TriggerPort::kMidi, false);
    EXPECT_EQ(opens_, 1);
    EXPECT_EQ(closes_, 1);
    openable_ = 0;
    EXPECT_FALSE(switches_.Enable(TriggerPort::kMidi));
    EXPECT_FALSE(switches_.IsOn(TriggerPort::kMidi));
}

TEST_F(ProgramPortHooksTest, SetupClosesThePortAndOpensItAgainOnlyWhenItWasOnAndApplied) {
    const struct {
        bool wasOn;
        int result;
        bool onAfter;
    } cases[] = {{true, 9, true}, {true, 0, false}, {false, 9, false}, {false, 0, false}};
    for (const auto& c : cases) {
        if (c.wasOn) {
            switches_.Enable(TriggerPort::kMidi);
        }
        bool offWhileOpen = false;
        SetupTriggerPort(switches_, TriggerPort::kMidi, [&] {
            offWhileOpen = !switches_.IsOn(TriggerPort::kMidi);
            return c.result;
        });
        EXPECT_TRUE(offWhileOpen);
        EXPECT_EQ(switches_.IsOn(TriggerPort::kMidi), c.onAfter) << c.wasOn << " " << c.result;
        EXPECT_EQ(registry_.IsOn(settings::kMidiEnable), c.onAfter);
        switches_.Disable(TriggerPort::kMidi, false);
    }
}

}  // namespace
}  // namespace tamberline
