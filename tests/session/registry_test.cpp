#include "session/registry.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tamberline {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    testing::TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
};

TEST_F(RegistryTest, MissingValuesLeaveTheCallersDefault) {
    std::string folder = "c:\\";
    uint32_t output = 3;
    EXPECT_FALSE(registry_.GetString(settings::kFileFolder, folder));
    EXPECT_FALSE(registry_.GetDword(settings::kButtonOutput, output));
    EXPECT_EQ(folder, "c:\\");
    EXPECT_EQ(output, 3u);
}

TEST_F(RegistryTest, MissingOrEmptyValuesReadAsTheTablesDefaults) {
    EXPECT_EQ(registry_.String(settings::kMonitor), "+0000+0000+0000+0000");
    EXPECT_EQ(registry_.String(settings::kPbusPort), "COM1");
    EXPECT_EQ(registry_.Dword(settings::kPbusRate), 2u);
    EXPECT_EQ(registry_.Dword(settings::kPbusAddressD), 4u);
    EXPECT_EQ(registry_.Dword(settings::MidiInPort("Keys")), 9u);
    EXPECT_EQ(registry_.Dword(settings::CustomColour(15)), 0xE0E0E0u);
    registry_.SetString(settings::kPbusPort, "");
    EXPECT_EQ(registry_.String(settings::kPbusPort), "COM1");
    registry_.SetDword(settings::kPbusRate, 0);
    EXPECT_EQ(registry_.Dword(settings::kPbusRate), 0u);
    EXPECT_EQ(settings::RecentSession(6).name, "MRU6");
    EXPECT_EQ(settings::MidiOutPort("Desk").name, "MidiOut : Desk");
}

TEST_F(RegistryTest, EmptyStringKeepsTheDefault) {
    registry_.SetString(settings::RecentSession(2), "");
    std::string entry = "keep";
    EXPECT_FALSE(registry_.GetString(settings::RecentSession(2), entry));
    EXPECT_EQ(entry, "keep");
}

TEST_F(RegistryTest, NamesIgnoreCaseSoBothSpellingsAreOneValue) {
    registry_.SetDword(settings::kAsioIndex, 2);
    registry_.SetDword(DwordSetting{"ASIOindex"}, 5);
    uint32_t index = 0;
    EXPECT_TRUE(registry_.GetDword(DwordSetting{"asioINDEX"}, index));
    EXPECT_EQ(index, 5u);
}

TEST_F(RegistryTest, NineMeansOnAndAnythingElseOff) {
    const struct {
        uint32_t stored;
        bool on;
    } cases[] = {{9, true}, {1, false}, {0, false}, {0xFFFFFFFF, false}};
    for (const auto& c : cases) {
        registry_.SetDword(DwordSetting{settings::kMidiEnable.name}, c.stored);
        EXPECT_EQ(registry_.IsOn(settings::kMidiEnable), c.on) << c.stored;
    }
    EXPECT_FALSE(registry_.IsOn(settings::kPbusEnable));
}

TEST_F(RegistryTest, ValuesSurviveReopeningAndDeviceNamesWithSlashes) {
    registry_.SetString(settings::OutputUserName("MidiIn : a/b\\c"), "x");
    registry_.SetBinary(settings::kButtonFont, QByteArray("\x01\x00\x02", 3));
    Registry again(registry_.FilePath());
    uint32_t dummy = 0;
    std::string name;
    QByteArray font;
    EXPECT_TRUE(again.GetString(settings::OutputUserName("MidiIn : a/b\\c"), name));
    EXPECT_EQ(name, "x");
    EXPECT_TRUE(again.GetBinary(settings::kButtonFont, font));
    EXPECT_EQ(font, QByteArray("\x01\x00\x02", 3));
    EXPECT_FALSE(again.GetDword(settings::MidiInPort("a"), dummy));
}

}  // namespace
}  // namespace tamberline
