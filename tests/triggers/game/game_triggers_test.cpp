#include "triggers/game/game_triggers.h"

#include <gtest/gtest.h>

#include <memory>

namespace tamberline {
namespace {

TEST(GameTriggers, IdsAndTheirTexts) {
    struct Case {
        int slot, button, id;
        bool pressed;
        const char* text;
    };
    for (const Case& c : {Case{0, 0, 1, true, " Last stick :  1, button 1 on "},
                          Case{1, 0, 17, true, " Last stick :  2, button 1 on "},
                          Case{0, 15, 16, false, " Last stick :  1, button 16 off "},
                          Case{7, 15, 128, false, " Last stick :  8, button 16 off "}}) {
        EXPECT_EQ(GameTriggerId(c.slot, c.button), c.id);
        EXPECT_EQ(GameStatusText(c.id, c.pressed), c.text);
    }
}

TEST(GameTriggers, PressStartsEveryMatchReleaseOnlyPlayWhileTriggered) {
    auto records = std::make_unique<RecordArray>();
    (*records)[4].gameTrigger = 17;
    (*records)[9].gameTrigger = 17;
    (*records)[9].flags = kFlagPlayWhileTriggered;
    (*records)[200].gameTrigger = 18;
    (*records)[300].gameTrigger = 17;
    (*records)[300].flags = kFlagPlayWhileTriggered | 0x10;
    const RecordOf record = [&records](int b) -> const ButtonRecord& {
        return (*records)[static_cast<size_t>(b)];
    };
    EXPECT_EQ(ButtonsStartedByGame(record, 17), (std::vector<int>{4, 9, 300}));
    EXPECT_EQ(ButtonsReleasedByGame(record, 17), (std::vector<int>{9, 300}));
    EXPECT_TRUE(ButtonsStartedByGame(record, 0).empty());  // 0 is "none"
    EXPECT_TRUE(ButtonsStartedByGame(record, 129).empty());
}

}  // namespace
}  // namespace tamberline
