// The audio engine's part of building the outputs.

#include "playback/engine_outputs.h"
#include "playback/graph/output_list.h"

#include <gtest/gtest.h>

#include "base/message_box.h"
#include "playback/sound/fake_backend.h"
#include "playback/sound/sound_system.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline::testing {
namespace {

class SoundOutputs : public ::testing::Test {
protected:
    void Build(std::vector<std::string> drivers, bool openFails, uint32_t asioIndex,
               int outputs = 8) {
        WriteAsioIndex(registry_, asioIndex);
        builder_ = std::make_unique<SoundOutputBuilder>(registry_, messages_, [=] {
            return std::make_unique<FakeBackend>(drivers, openFails, outputs);
        });
        builder_->AddEngineOutputs(table_,
                                   [this](const std::string& text) { headers_.push_back(text); });
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const OutputEntry& e : table_.entries) {
            names.push_back(e.deviceName);
        }
        return names;
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox messages_;
    OutputTable table_;
    std::vector<std::string> headers_;
    std::unique_ptr<SoundOutputBuilder> builder_;
};

TEST_F(SoundOutputs, WithoutAsioNothingIsAddedAndNothingIsShown) {
    Build({"system (JACK Audio Connection Kit)"}, false, 0);
    EXPECT_TRUE(table_.entries.empty());
    EXPECT_FALSE(table_.asioActive);
    EXPECT_EQ(builder_->Engine(), nullptr);
    EXPECT_TRUE(headers_.empty());
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(SoundOutputs, TheFourPairsComeFirstWhenTheDriverStarts) {
    table_.entries.push_back({"HDA Intel PCH: ALC887 Analog", "ALC887 Analog", false});
    Build({"a", "b"}, false, 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"ASIO 1+2", "ASIO 3+4", "ASIO 5+6", "ASIO 7+8",
                                                 "HDA Intel PCH: ALC887 Analog"}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(table_.entries[static_cast<size_t>(i)].onAudioEngine);
        EXPECT_EQ(table_.entries[static_cast<size_t>(i)].displayName,
                  table_.entries[static_cast<size_t>(i)].deviceName);
    }
    EXPECT_TRUE(table_.asioActive);
    EXPECT_EQ(headers_, std::vector<std::string>{" Loading ASIO "});
    ASSERT_NE(builder_->Engine(), nullptr);
    EXPECT_EQ(builder_->Engine()->OutputRate(), 48000);
    std::string driver;
    EXPECT_EQ(builder_->Engine()->GetDriverName(1, driver), SoundResult::kOk);
    EXPECT_EQ(driver, "b");
    EXPECT_TRUE(messages_.shown().empty());
}

// Records store outputs by row, so a smaller device keeps every pair row;
// the pairs it lacks say so instead of playing nowhere.
TEST_F(SoundOutputs, ADeviceWithFourOutputsKeepsFourPairsAndShowsTwoAsMissing) {
    table_.entries.push_back({"Test Sink A", "Test Sink A", false});
    Build({"small"}, false, 1, 4);
    ASSERT_EQ(table_.entries.size(), 5u);
    const bool expected[] = {true, true, false, false, true};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(table_.entries[i].available, expected[i]) << table_.entries[i].deviceName;
    }
    OutputList list;
    list.Fill(table_);
    EXPECT_EQ(list.Text(2), "ASIO 5+6") << "the row stays where sessions expect it";
    EXPECT_EQ(list.TableIndex(1, table_), 1);
    EXPECT_EQ(list.TableIndex(2, table_), -1) << "no output behind a missing pair";
    EXPECT_EQ(list.ItemData(3), -1);
    EXPECT_EQ(list.TableIndex(4, table_), 4);
    const std::vector<OutputComboRow> combo = OutputComboRows(table_);
    EXPECT_EQ(combo[1].text, "  2 - ASIO 3+4");
    EXPECT_EQ(combo[2].text, "  3 - Not Available");
    EXPECT_EQ(combo[2].itemData, -1);
    EXPECT_EQ(combo[3].text, "  4 - Not Available");
    EXPECT_EQ(combo[4].text, "  5 - Test Sink A");
}

TEST_F(SoundOutputs, NoDriversSwitchesAsioOff) {
    Build({}, false, 1);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text,
              "No ASIO drivers found.\nCheck the hardware installation.");
    EXPECT_EQ(messages_.shown()[0].flags, mb::kOk | mb::kIconExclamation);
    EXPECT_EQ(ReadAsioIndex(registry_), 0u);
    EXPECT_TRUE(table_.entries.empty());
    EXPECT_FALSE(table_.asioActive);
    EXPECT_EQ(builder_->Engine(), nullptr);
}

TEST_F(SoundOutputs, ADriverThatFailsToStartAsksWhetherToDropAsio) {
    const struct {
        bool openFails;
        uint32_t index;
        const char* answer;
        uint32_t stored;
    } cases[] = {
        {true, 1, "Drop ASIO", 0},
        {true, 1, "Continue", 1},
        {false, 3, "Continue", 3},  // a driver that is no longer there
    };
    for (const auto& c : cases) {
        messages_ = ScriptedMessageBox();
        table_ = OutputTable();
        messages_.Answer(c.answer);
        Build({"a", "b"}, c.openFails, c.index);
        ASSERT_EQ(messages_.shown().size(), 1u);
        EXPECT_EQ(messages_.shown()[0].text, "ASIO driver failed to start.\n");
        EXPECT_EQ(messages_.shown()[0].flags,
                  mb::kDropAsioContinue | mb::kIconStop | mb::kDefault2);
        EXPECT_EQ(ReadAsioIndex(registry_), c.stored) << c.answer;
        EXPECT_TRUE(table_.entries.empty());
        EXPECT_FALSE(table_.asioActive);
        EXPECT_EQ(builder_->Engine(), nullptr);
    }
}

TEST_F(SoundOutputs, RebuildingReplacesTheEngine) {
    Build({"a"}, false, 1);
    ASSERT_NE(builder_->Engine(), nullptr);
    WriteAsioIndex(registry_, 0);
    OutputTable again;
    builder_->AddEngineOutputs(again, nullptr);
    EXPECT_EQ(builder_->Engine(), nullptr) << "ASIO switched off closes the engine";
    EXPECT_TRUE(again.entries.empty());
}

}  // namespace
}  // namespace tamberline::testing
