#include <gtest/gtest.h>

#include <filesystem>

#include "cd/burn_controller.h"
#include "cd/burn_list.h"
#include "cd/burn_list_file.h"
#include "cd/wav_check.h"
#include "cd_test_util.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using testing::MakeWav;
using testing::NoiseAudio;
using testing::ScriptedMessageBox;
using testing::TempDir;

WavValidator FakeSizes(uint32_t dataSize) {
    return [dataSize](const std::string&) {
        WavInfo info;
        info.valid = true;
        info.fileSize = dataSize + 44;
        info.dataSize = dataSize;
        info.dataOffset = 44;
        return info;
    };
}

std::vector<std::string> Names(int n) {
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i)
        names.push_back("t" + std::to_string(i) + ".wav");
    return names;
}

TEST(BurnList, FileIsByteExact) {
    BurnList list;
    list.Add("/music/", {"a.wav", "b.wav"}, std::nullopt, FakeSizes(1000));
    const std::vector<uint8_t> bytes = list.ToFile();
    ASSERT_EQ(bytes.size(), 53064u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "/music/a.wav");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 260)), "a.wav");
    EXPECT_EQ(bytes[520], 0x14);  // 1044 = 0x414
    EXPECT_EQ(bytes[521], 0x04);
    EXPECT_EQ(bytes[524], 0xe8);  // 1000
    EXPECT_EQ(bytes[528], 44);
    EXPECT_EQ(bytes[532], 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 536)), "/music/b.wav");
    for (size_t i = 2 * 536; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(BurnList::FromFile(bytes).ToFile(), bytes);
}

TEST(BurnList, FileOfAnotherLengthIsIgnoredAndGapsArePacked) {
    BurnList list;
    list.Add("/m/", {"a.wav", "b.wav"}, std::nullopt, FakeSizes(1000));
    std::vector<uint8_t> bytes = list.ToFile();
    bytes.push_back(0);
    EXPECT_EQ(BurnList::FromFile(bytes).count(), 0);
    bytes.pop_back();
    // Slot 1 freed in the file: slot 2 moves up.
    std::fill(bytes.begin(), bytes.begin() + 536, 0);
    const BurnList packed = BurnList::FromFile(bytes);
    ASSERT_EQ(packed.count(), 1);
    EXPECT_EQ(packed.Lines()[0], " 1. b.wav");
}

TEST(BurnList, CapacityLabel) {
    BurnList list;
    EXPECT_EQ(list.CapacityLabel(), "Burn list.");
    list.Add("/m/", Names(2), std::nullopt, FakeSizes(73400320));
    EXPECT_EQ(list.CapacityLabel(), "Burn list : 2 tracks, 80% disc remaining.");
    list.Clear();
    list.Add("/m/", Names(120), std::nullopt, FakeSizes(100));
    EXPECT_EQ(list.count(), 99);
    EXPECT_EQ(list.CapacityLabel(), "Burn list : 99 tracks, disc full.");
}

TEST(BurnList, PastTheByteLimitIsRefused) {
    BurnList list;
    list.Add("/m/", {"a.wav"}, std::nullopt, FakeSizes(734003200 - 100));
    const auto result = list.Add("/m/", {"b.wav"}, std::nullopt, FakeSizes(101));
    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(result.discFull);
    EXPECT_EQ(BurnList::AddMessage(result), "The disc is full.\n\n");
}

TEST(BurnList, PastEightyMinutesStopsAtTheLimit) {
    // 80 minutes of 10-minute tracks: the seventh would pass 734,003,200 bytes.
    BurnList list;
    const auto result = list.Add("/m/", Names(8), std::nullopt, FakeSizes(10 * 60 * 176400));
    EXPECT_EQ(list.count(), 6);
    EXPECT_TRUE(result.discFull);
}

TEST(BurnList, InvalidFormatsAreRefusedWithTheMessage) {
    TempDir dir;
    const std::string audio = NoiseAudio(4000, 1);
    dir.Write("mono.wav", MakeWav(audio, 1, 44100, 16));
    dir.Write("48k.wav", MakeWav(audio, 2, 48000, 16));
    dir.Write("24bit.wav", MakeWav(audio, 2, 44100, 24));
    dir.Write("junk.wav", "not a wav at all");
    dir.Write("good.wav", MakeWav(audio));
    BurnList list;
    const auto result =
        list.Add(dir.Path() + "/",
                 {"mono.wav", "48k.wav", "24bit.wav", "junk.wav", "missing.wav", "good.wav"},
                 std::nullopt, CheckWavFile);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(result.invalid, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(
        BurnList::AddMessage(result),
        "One or more files selected\nwas an invalid format.\nCD audio is 16bit, 44100Hz, 2 Track.");
    const WavInfo info = CheckWavFile(dir.File("good.wav"));
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.dataSize, 4000u);
    EXPECT_EQ(info.dataOffset, 44 + 12);
}

TEST(BurnList, InsertRemoveAndMove) {
    BurnList list;
    list.Add("/m/", Names(5), std::nullopt, FakeSizes(10));
    list.Remove({2});
    EXPECT_EQ(list.Lines(),
              (std::vector<std::string>{" 1. t1.wav", " 2. t2.wav", " 3. t4.wav", " 4. t5.wav"}));
    const auto added = list.Add("/m/", {"x.wav", "y.wav"}, 1, FakeSizes(10));
    EXPECT_EQ(added.newRows, (std::set<int>{1, 2}));
    EXPECT_EQ(list.tracks()[1].name, "x.wav");
    EXPECT_EQ(list.tracks()[2].name, "y.wav");
    EXPECT_EQ(list.tracks()[3].name, "t2.wav");
    EXPECT_EQ(list.MoveUp({0, 3}), (std::set<int>{0, 2}));
    EXPECT_EQ(list.tracks()[2].name, "t2.wav");
    EXPECT_EQ(list.MoveDown({5}), (std::set<int>{5}));
    EXPECT_EQ(TrackBlocks(352800), 375u);
    EXPECT_EQ(TrackBlocks(2352 * 1000), 1001u);
}

// Fault: a missing file zeroed its slot and left lines out of step.
TEST(BurnList, AMissingFileLeavesTheListPacked) {
    TempDir dir;
    for (const char* n : {"a.wav", "b.wav", "c.wav"})
        dir.Write(n, MakeWav(NoiseAudio(400, 2)));
    BurnList list;
    list.Add(dir.Path() + "/", {"a.wav", "b.wav", "c.wav"}, std::nullopt, CheckWavFile);
    std::filesystem::remove(dir.File("b.wav"));
    const auto removed = list.Revalidate(CheckWavFile, false);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].first, 2);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{" 1. a.wav", " 2. c.wav"}));
}

TEST(BurnListFile, SavedAtomicallyAndReadBack) {
    TempDir dir;
    const std::string path = dir.Path() + "/Tamberline/Burnlist.abl";
    BurnList list;
    list.Add("/m/", Names(3), std::nullopt, FakeSizes(10));
    ASSERT_EQ(SaveBurnList(path, list), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 53064u);
    EXPECT_EQ(LoadBurnList(path).ToFile(), list.ToFile());
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path() + "/Tamberline")) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);  // no temporary left beside it
    EXPECT_EQ(LoadBurnList(dir.Path() + "/none.abl").count(), 0);
}

TEST(Progress, GuardsAZeroTotal) {
    EXPECT_EQ(ProgressPercent(5, 0), 0);
    EXPECT_EQ(ProgressPercent(50, 200), 25);
    EXPECT_EQ(ProgressPercent(300, 200), 100);
}

}  // namespace
}  // namespace tamberline
