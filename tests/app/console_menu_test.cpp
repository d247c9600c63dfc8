#include "app/console_menu.h"

#include <gtest/gtest.h>

#include "app/port_switches.h"
#include "session/registry.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

TEST(ConsoleMenuTest, EveryCommandIsPresentWithItsText) {
    const ConsoleMenu menu;
    const struct {
        int id;
        const char* text;
        bool enabled;
    } cases[] = {
        {cmd::kNew, "New", true},
        {cmd::kOpen, "Open", true},
        {cmd::kSave, "Save", true},
        {cmd::kSaveAs, "Save As", true},
        {cmd::kReadArchive, "Read Archive", true},
        {cmd::kWriteArchive, "Write Archive", true},
        {cmd::kCloneSession, "Clone Session", true},
        {cmd::kClearList, "Clear list", true},
        {cmd::kUndo, "Undo", false},  // nothing to undo yet
        {cmd::kAsio, "ASIO", true},
        {cmd::kConnect, "Connect", false},
        {cmd::kCdRipper, "CD Ripper", true},
        {cmd::kCdBurner, "CD Burner", true},
        {cmd::kSonglist, "Songlist", true},
        {cmd::kMenuFont, "Menu font", true},
        {cmd::kButtonFont, "Button font", true},
        {cmd::kExit, "Exit", true},
        {cmd::kSmpteOn, "On", false},
        {cmd::kSmpteOff, "Off", false},
        {cmd::kSmpteSetup, "Setup", false},
        {cmd::kMidiOn, "On", false},
        {cmd::kMidiOff, "Off", false},
        {cmd::kMidiSetup, "Setup", false},
        {cmd::kGameOn, "On", false},
        {cmd::kGameOff, "Off", false},
        {cmd::kGameSetup, "Setup", false},
        {cmd::kPbusOn, "On", false},
        {cmd::kPbusOff, "Off", false},
        {cmd::kPbusSetup, "Setup", false},
        {cmd::kPage1, " Page 1 ", true},
        {cmd::kPage1 + 7, " Page 8 ", true},
        {cmd::kHelp, "Help", true},
        {cmd::kAbout, "About", false},
        {cmd::kSessionInfo, "Session", true},
        {cmd::kLogs, "Logs", true},
        {cmd::kFontsMenu, "Set fonts", true},
        {cmd::kGameMenu, "Game ports  ", true},
    };
    for (const auto& c : cases) {
        const MenuItem* item = menu.Find(c.id);
        ASSERT_NE(item, nullptr) << c.id;
        EXPECT_EQ(item->text, c.text) << c.id;
        EXPECT_EQ(item->enabled, c.enabled) << c.id;
    }
    // The ports popup is the second item of the bar.
    EXPECT_EQ(menu.bar()[1].id, cmd::kPortsMenu);
    EXPECT_EQ(menu.bar()[1].text, " Ports      ");
}

TEST(ConsoleMenuTest, ModifiedMarkRecentSessionsAndPageCheck) {
    ConsoleMenu menu;
    std::vector<int> changed;
    menu.SetListener([&](int id) { changed.push_back(id); });
    menu.SetModified(true);
    EXPECT_EQ(menu.Find(cmd::kFileMenu)->text, "File*");
    EXPECT_TRUE(menu.Find(cmd::kUndo)->enabled);
    menu.SetRecentSessions({"/s/a.dbf", "", "/s/c.dbf", "", "", ""});
    EXPECT_TRUE(menu.Find(cmd::kRecent1)->visible);
    EXPECT_EQ(menu.Find(cmd::kRecent1 + 2)->text, "/s/c.dbf");
    EXPECT_FALSE(menu.Find(cmd::kRecent1 + 1)->visible);
    changed.clear();
    menu.SetCurrentPage(3);
    EXPECT_FALSE(menu.Find(cmd::kPage1)->checked);
    EXPECT_TRUE(menu.Find(cmd::kPage1 + 3)->checked);
    EXPECT_EQ(menu.Find(cmd::kPage1 + 3)->checkStyle, MenuItem::CheckStyle::kFrame);
    EXPECT_EQ(changed, (std::vector<int>{cmd::kPage1, cmd::kPage1 + 3}));
}

TEST(ConsoleMenuTest, ContextMenusEnableByButtonAndClipboard) {
    const auto items = ButtonContextMenu(41, false, false);
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0].text, "Setup Button 42");
    const struct {
        int id;
        const char* text;
        bool emptyNoClip;
        bool assignedWithClip;
    } cases[] = {
        {cmd::kSetupButton, "Setup Button 42", true, true},
        {cmd::kReset, "Reset", false, true},
        {cmd::kRelease, "Release", false, true},
        {cmd::kClearRunTime, "Clear run time", false, true},
        {cmd::kClearAllRunTimes, "Clear all run times", true, true},
        {cmd::kCut, "Cut", true, true},
        {cmd::kCopy, "Copy", true, true},
        {cmd::kPaste, "Paste", false, true},
        {cmd::kDelete, "Delete", false, true},
        {cmd::kEdit, "Edit", true, true},
    };
    const auto full = ButtonContextMenu(41, true, true);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(items[i].id, cases[i].id);
        EXPECT_EQ(items[i].text, cases[i].text);
        EXPECT_EQ(items[i].enabled, cases[i].emptyNoClip) << cases[i].text;
        EXPECT_EQ(full[i].enabled, cases[i].assignedWithClip) << cases[i].text;
    }
    const auto block = BlockContextMenu(false);
    ASSERT_EQ(block.size(), 5u);
    EXPECT_EQ(block[0].text, "Block assign");
    EXPECT_EQ(block[3].id, cmd::kBlockPaste);
    EXPECT_FALSE(block[3].enabled);
    EXPECT_TRUE(BlockContextMenu(true)[3].enabled);
}

class ScriptedPorts final : public PortHooks {
public:
    bool OpenTriggerPort(TriggerPort port) override {
        opened.push_back(port);
        return !failing;
    }
    void CloseTriggerPort(TriggerPort port) override { closed.push_back(port); }
    std::vector<TriggerPort> opened, closed;
    bool failing = false;
};

class PortSwitchesTest : public ::testing::Test {
protected:
    testing::TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ConsoleMenu menu_;
    ScriptedPorts hooks_;
    std::map<int, std::string> fields_;
    PortSwitches ports_{registry_, menu_, hooks_,
                        [this](int field, const std::string& text) { fields_[field] = text; }};
};

TEST(PortsTitleTest, LettersInOrderWithoutGaps) {
    const struct {
        bool s, m, g, p;
        const char* title;
    } cases[] = {
        {false, false, false, false, " Ports      "},
        {true, true, true, true, " Ports SMGP "},
        {true, false, false, true, " Ports SP   "},
        {false, true, true, false, " Ports MG   "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PortsTitle(c.s, c.m, c.g, c.p), c.title);
        EXPECT_EQ(std::string(c.title).size(), 12u);
    }
}

TEST_F(PortSwitchesTest, EnablingSetsCheckMarksStatusTitleAndSetting) {
    EXPECT_TRUE(ports_.Enable(TriggerPort::kMidi));
    EXPECT_TRUE(ports_.Enable(TriggerPort::kMidi));  // already on: nothing more
    EXPECT_EQ(hooks_.opened.size(), 1u);
    EXPECT_TRUE(menu_.Find(cmd::kMidiOn)->checked);
    EXPECT_FALSE(menu_.Find(cmd::kMidiOff)->checked);
    EXPECT_EQ(fields_[17], " Last midi :  ");
    EXPECT_EQ(menu_.Find(cmd::kPortsMenu)->text, " Ports M    ");
    EXPECT_TRUE(registry_.IsOn(settings::kMidiEnable));

    for (TriggerPort p : {TriggerPort::kSmpte, TriggerPort::kGamePort, TriggerPort::kPbus}) {
        ports_.Enable(p);
    }
    EXPECT_EQ(menu_.Find(cmd::kPortsMenu)->text, " Ports SMGP ");
    EXPECT_EQ(fields_[18], " Last stick :  ");
    EXPECT_EQ(fields_[19], " Last PBus :  ");

    ports_.Disable(TriggerPort::kMidi, false);
    EXPECT_EQ(hooks_.closed, std::vector<TriggerPort>{TriggerPort::kMidi});
    EXPECT_TRUE(menu_.Find(cmd::kMidiOff)->checked);
    EXPECT_EQ(fields_[17], "");
    EXPECT_EQ(menu_.Find(cmd::kPortsMenu)->text, " Ports SGP  ");
    uint32_t stored = 9;
    EXPECT_TRUE(registry_.GetDword(DwordSetting{settings::kMidiEnable.name}, stored));
    EXPECT_EQ(stored, 0u);
}

TEST_F(PortSwitchesTest, AFailedPortStaysOffAndClosingKeepsTheSetting) {
    hooks_.failing = true;
    EXPECT_FALSE(ports_.Enable(TriggerPort::kPbus));
    EXPECT_FALSE(ports_.IsOn(TriggerPort::kPbus));
    EXPECT_FALSE(registry_.IsOn(settings::kPbusEnable));
    EXPECT_EQ(menu_.Find(cmd::kPortsMenu)->text, " Ports      ");

    hooks_.failing = false;
    ports_.Enable(TriggerPort::kSmpte);
    ports_.Disable(TriggerPort::kSmpte, true);
    EXPECT_FALSE(ports_.IsOn(TriggerPort::kSmpte));
    EXPECT_TRUE(registry_.IsOn(settings::kSmpteEnable));
    EXPECT_EQ(menu_.Find(cmd::kPortsMenu)->text, " Ports S    ");
}

TEST_F(PortSwitchesTest, StartUpOpensStoredPortsInOrderAndMenuCommandsSwitch) {
    registry_.SetOn(settings::kGamePortEnable, true);
    registry_.SetOn(settings::kSmpteEnable, true);
    registry_.SetOn(settings::kPbusEnable, true);
    registry_.SetDword(DwordSetting{settings::kMidiEnable.name}, 1);  // only 9 means on
    for (StartStep step = StartStep::kMediaLibrary; step <= StartStep::kStatus;
         step = static_cast<StartStep>(static_cast<int>(step) + 1)) {
        EXPECT_TRUE(ports_.Start(step));
    }
    EXPECT_EQ(hooks_.opened, (std::vector<TriggerPort>{TriggerPort::kSmpte, TriggerPort::kPbus,
                                                       TriggerPort::kGamePort}));
    EXPECT_TRUE(ports_.RunCommand(cmd::kGameOff));
    EXPECT_FALSE(ports_.IsOn(TriggerPort::kGamePort));
    EXPECT_TRUE(ports_.RunCommand(cmd::kMidiOn));
    EXPECT_TRUE(ports_.IsOn(TriggerPort::kMidi));
    EXPECT_FALSE(ports_.RunCommand(cmd::kMidiSetup));
}

TEST_F(PortSwitchesTest, ExitClosesTheOpenPortsInItsOwnOrderAndKeepsTheirSettings) {
    for (TriggerPort p :
         {TriggerPort::kPbus, TriggerPort::kMidi, TriggerPort::kGamePort, TriggerPort::kSmpte}) {
        ports_.Enable(p);
    }
    EXPECT_TRUE(ports_.Exit(ExitStep::kStopAll));
    EXPECT_TRUE(hooks_.closed.empty());
    EXPECT_TRUE(ports_.Exit(ExitStep::kClosePorts));
    EXPECT_EQ(hooks_.closed, (std::vector<TriggerPort>{TriggerPort::kSmpte, TriggerPort::kGamePort,
                                                       TriggerPort::kMidi, TriggerPort::kPbus}));
    EXPECT_TRUE(registry_.IsOn(settings::kMidiEnable));
    EXPECT_EQ(menu_.Find(cmd::kPortsMenu)->text, " Ports SMGP ");
}

}  // namespace
}  // namespace tamberline
