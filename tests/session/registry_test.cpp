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
    EXPECT_FALSE(registry_.GetString("File Folder", folder));
    EXPECT_FALSE(registry_.GetDword("BtnOutput", output));
    EXPECT_EQ(folder, "c:\\");
    EXPECT_EQ(output, 3u);
}

TEST_F(RegistryTest, EmptyStringKeepsTheDefault) {
    registry_.SetString("MRU2", "");
    std::string entry = "keep";
    EXPECT_FALSE(registry_.GetString("MRU2", entry));
    EXPECT_EQ(entry, "keep");
}

TEST_F(RegistryTest, NamesIgnoreCaseSoBothSpellingsAreOneValue) {
    registry_.SetDword("ASIOIndex", 2);
    registry_.SetDword("ASIOindex", 5);
    uint32_t index = 0;
    EXPECT_TRUE(registry_.GetDword("asioINDEX", index));
    EXPECT_EQ(index, 5u);
}

TEST_F(RegistryTest, NineMeansOnAndAnythingElseOff) {
    const struct {
        uint32_t stored;
        bool on;
    } cases[] = {{9, true}, {1, false}, {0, false}, {0xFFFFFFFF, false}};
    for (const auto& c : cases) {
        registry_.SetDword("MidiEnable", c.stored);
        EXPECT_EQ(registry_.IsOn("MidiEnable"), c.on) << c.stored;
    }
    EXPECT_FALSE(registry_.IsOn("PbusEnable"));
}

TEST_F(RegistryTest, ValuesSurviveReopeningAndDeviceNamesWithSlashes) {
    registry_.SetString("MidiIn : a/b\\c", "x");
    registry_.SetBinary("BtnFont", QByteArray("\x01\x00\x02", 3));
    Registry again(registry_.FilePath());
    uint32_t dummy = 0;
    std::string name;
    QByteArray font;
    EXPECT_TRUE(again.GetString("MidiIn : a/b\\c", name));
    EXPECT_EQ(name, "x");
    EXPECT_TRUE(again.GetBinary("BtnFont", font));
    EXPECT_EQ(font, QByteArray("\x01\x00\x02", 3));
    EXPECT_FALSE(again.GetDword("MidiIn : a", dummy));
}

}  // namespace
}  // namespace tamberline
