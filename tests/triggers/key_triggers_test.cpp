#include "triggers/key_triggers.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

TEST(KeyTriggersTest, QtKeysMapToTheStoredKeyCodes) {
    const struct {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        int code;
    } cases[] = {
        {Qt::Key_A, Qt::NoModifier, 0x41},          {Qt::Key_Z, Qt::ShiftModifier, 0x5A},
        {Qt::Key_1, Qt::NoModifier, 0x31},          {Qt::Key_0, Qt::KeypadModifier, 0x60},
        {Qt::Key_9, Qt::KeypadModifier, 0x69},      {Qt::Key_Asterisk, Qt::KeypadModifier, 0x6A},
        {Qt::Key_F1, Qt::NoModifier, 0x70},         {Qt::Key_F10, Qt::NoModifier, 0x79},
        {Qt::Key_F12, Qt::NoModifier, 0x7B},        {Qt::Key_Tab, Qt::NoModifier, 0x09},
        {Qt::Key_Backtab, Qt::ShiftModifier, 0x09}, {Qt::Key_Enter, Qt::KeypadModifier, 0x0D},
        {Qt::Key_Escape, Qt::NoModifier, 0x1B},     {Qt::Key_Left, Qt::NoModifier, 0x25},
        {Qt::Key_Right, Qt::KeypadModifier, 0x27},  // keypad arrows with Num Lock off
        {Qt::Key_F13, Qt::NoModifier, 0},           {Qt::Key_Meta, Qt::NoModifier, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VirtualKeyFromQt(c.qtKey, c.modifiers), c.code) << std::hex << c.qtKey;
    }
}

// Keys as the platform reports them, with the key's xkb keycode (kernel
// key number + 8), under layouts other than US.
TEST(KeyTriggersTest, PhysicalKeysGiveTheSameCodeWhateverTheLayoutAndModifiers) {
    constexpr uint32_t kXkb = 8;
    const struct {
        const char* what;
        KeyPress key;
        int code;
    } cases[] = {
        {"AZERTY 1 key", {Qt::Key_Ampersand, Qt::NoModifier, kXkb + 2}, 0x31},
        {"AZERTY Shift+1", {Qt::Key_1, Qt::ShiftModifier, kXkb + 2}, 0x31},
        {"QWERTY Shift+2", {Qt::Key_At, Qt::ShiftModifier, kXkb + 3}, 0x32},
        {"AZERTY 8 key", {Qt::Key_Underscore, Qt::NoModifier, kXkb + 9}, 0x38},
        {"AZERTY A key (US Q place)", {Qt::Key_A, Qt::NoModifier, kXkb + 16}, 0x41},
        {"AZERTY Q key (US A place)", {Qt::Key_Q, Qt::NoModifier, kXkb + 30}, 0x51},
        {"AZERTY comma (US M place)", {Qt::Key_Comma, Qt::NoModifier, kXkb + 50}, 0},
        {"QWERTZ Z key", {Qt::Key_Z, Qt::ShiftModifier, kXkb + 21}, 0x5A},
        {"Cyrillic Й (US Q place)", {0x419, Qt::NoModifier, kXkb + 16}, 0x51},
        {"Cyrillic Я with Shift", {0x42F, Qt::ShiftModifier, kXkb + 44}, 0x5A},
        {"Greek Α (US A place)", {0x391, Qt::NoModifier, kXkb + 30}, 0x41},
        {"German Ü key is no letter code", {0xDC, Qt::NoModifier, kXkb + 26}, 0},
        {"F10", {Qt::Key_F10, Qt::NoModifier, kXkb + 68}, 0x79},
        {"F12", {Qt::Key_F12, Qt::NoModifier, kXkb + 88}, 0x7B},
        {"Shift+Tab", {Qt::Key_Backtab, Qt::ShiftModifier, kXkb + 15}, 0x09},
        {"keypad 7 with Num Lock", {Qt::Key_7, Qt::KeypadModifier, kXkb + 71}, 0x67},
        {"keypad 7 without Num Lock", {Qt::Key_Home, Qt::KeypadModifier, kXkb + 71}, 0},
        {"no keycode: Qt's key", {Qt::Key_K, Qt::NoModifier, 0}, 0x4B},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VirtualKeyOf(c.key), c.code) << c.what;
    }
}

TEST(KeyTriggersTest, KeyNames) {
    const struct {
        int code;
        const char* name;
    } cases[] = {
        {0, ""},        {0x40, " @ "},        {0x41, " A "},        {0x5B, " [ "},
        {0x5C, ""},     {0x60, " NUMPAD 0 "}, {0x69, " NUMPAD 9 "}, {0x6A, ""},
        {0x70, " F1 "}, {0x7B, " F12 "},      {0x7C, ""},           {0x31, ""},
        {0x20, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyName(c.code), c.name) << std::hex << c.code;
    }
}

TEST(KeyTriggersTest, EveryButtonWithTheKeyStartsLowestFirstAndOnlyTriggerKeysCount) {
    auto records = std::make_unique<RecordArray>();
    (*records)[200].triggerKey = 'K';
    (*records)[7].triggerKey = 'K';
    (*records)[7].flags = kFlagPlayWhileTriggered;
    (*records)[9].triggerKey = 'J';
    (*records)[11].triggerKey = '1';   // below the trigger range
    (*records)[12].triggerKey = 0x7C;  // above it
    EXPECT_EQ(ButtonsStartedByKey(*records, 'K'), (std::vector<int>{7, 200}));
    EXPECT_EQ(ButtonsReleasedByKey(*records, 'K'), std::vector<int>{7});
    EXPECT_TRUE(ButtonsStartedByKey(*records, '1').empty());
    EXPECT_TRUE(ButtonsStartedByKey(*records, 0x7C).empty());
    EXPECT_TRUE(ButtonsStartedByKey(*records, 0).empty());
}

}  // namespace
}  // namespace tamberline
