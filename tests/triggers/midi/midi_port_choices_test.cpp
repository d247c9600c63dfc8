#include "triggers/midi/midi_port_choices.h"

#include <gtest/gtest.h>

#include "fake_midi_driver.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

class MidiPortChoicesTest : public ::testing::Test {
protected:
    MidiPortChoicesTest() {
        driver_.inputs = {"Keys", "Pads"};
        driver_.outputs = {"Desk"};
    }
    std::vector<bool> Selected() const {
        std::vector<bool> selected;
        for (const auto& item : choices_.items()) {
            selected.push_back(item.selected);
        }
        return selected;
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    FakeMidiDriver driver_;
    MidiPortChoices choices_{driver_, registry_, box_};
};

TEST_F(MidiPortChoicesTest, ListsInputsThenOutputsWithTheirStoredChoice) {
    registry_.SetDword(settings::MidiInPort("Pads"), 0);
    driver_.busy = {"Desk"};
    choices_.Fill();
    ASSERT_EQ(choices_.items().size(), 3u);
    EXPECT_TRUE(choices_.items()[0].input);
    EXPECT_FALSE(choices_.items()[2].input);
    EXPECT_EQ(Selected(), (std::vector<bool>{true, false, false}));
    // A device in use is stored as not chosen.
    EXPECT_EQ(registry_.Dword(settings::MidiOutPort("Desk")), 0u);
}

TEST_F(MidiPortChoicesTest, ADeviceInUseCannotBeChosen) {
    registry_.SetDword(settings::MidiInPort("Pads"), 0);
    choices_.Fill();
    driver_.busy = {"Pads"};
    choices_.Toggle(1);
    EXPECT_EQ(
        box_.Texts(),
        std::vector<std::string>{
            "Pads\n\nThis device is already in use.\nWait until it is free, then try again."});
    EXPECT_FALSE(choices_.items()[1].selected);
    driver_.busy.clear();
    choices_.Toggle(1);
    choices_.Toggle(0);
    EXPECT_EQ(Selected(), (std::vector<bool>{false, true, true}));
}

TEST_F(MidiPortChoicesTest, ApplyStoresEveryChoiceAndSaysWhetherAnyWasChosen) {
    choices_.Fill();
    choices_.Toggle(0);
    choices_.Toggle(1);
    EXPECT_EQ(choices_.Apply(), MidiPortChoices::kApplied);
    EXPECT_EQ(registry_.Dword(settings::MidiInPort("Keys")), 0u);
    EXPECT_EQ(registry_.Dword(settings::MidiOutPort("Desk")), 9u);
    choices_.Toggle(2);
    EXPECT_EQ(choices_.Apply(), 0);
    EXPECT_EQ(registry_.Dword(settings::MidiOutPort("Desk")), 0u);
}

}  // namespace
}  // namespace tamberline::testing
