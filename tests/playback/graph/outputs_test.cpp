#include "playback/graph/outputs.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <fstream>

#include "base/message_box.h"
#include "playback/graph/fake_sinks.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/output_list.h"
#include "playback/graph/output_test_file.h"
#include "session/registry.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using testing::FakeSinkCatalog;

class BuildOutputsTest : public ::testing::Test {
protected:
    BuildOutputsTest() : registry_(QString::fromStdString(dir_.File("settings.conf"))) {
        services_.catalog = &catalog_;
        services_.registry = &registry_;
        services_.messageBox = &box_;
        services_.header = [this](const std::string& text) { headers_.push_back(text); };
        services_.tempFolder = dir_.Path();
    }

    void Card(const std::string& name, bool viaServer = true, bool monitor = false) {
        catalog_.devices.push_back({name, viaServer, monitor});
    }

    std::vector<std::string> DeviceNames() const {
        std::vector<std::string> names;
        for (const OutputEntry& entry : table_.entries) {
            names.push_back(entry.deviceName);
        }
        return names;
    }

    std::vector<std::string> DisplayNames() const {
        std::vector<std::string> names;
        for (const OutputEntry& entry : table_.entries) {
            names.push_back(entry.displayName);
        }
        return names;
    }

    testing::TempDir dir_;
    Registry registry_;
    FakeSinkCatalog catalog_;
    testing::FakeEngineOutputs engine_;
    testing::ScriptedMessageBox box_;
    std::vector<std::string> headers_;
    OutputServices services_;
    OutputTable table_;
    OutputList list_;
};

TEST_F(BuildOutputsTest, EnginePairsFirstThenTheCardsThatPlayTheTestFile) {
    services_.engine = &engine_;
    Card("Built-in Audio: Analog Stereo");
    Card("Dead Card");
    Card("USB Desk");
    catalog_.dead = {"Dead Card"};
    registry_.SetString(settings::OutputUserName("USB Desk"), "Stage Left");

    BuildOutputs(services_, table_, list_);

    EXPECT_TRUE(table_.asioActive);
    EXPECT_EQ(DeviceNames(),
              (std::vector<std::string>{"ASIO 1+2", "ASIO 3+4", "ASIO 5+6", "ASIO 7+8",
                                        "Built-in Audio: Analog Stereo", "USB Desk"}));
    EXPECT_EQ(DisplayNames(),
              (std::vector<std::string>{"ASIO 1+2", "ASIO 3+4", "ASIO 5+6", "ASIO 7+8",
                                        "Analog Stereo", "Stage Left"}));
    EXPECT_EQ(table_.entries[4].onAudioEngine, false);
    EXPECT_EQ(headers_,
              (std::vector<std::string>{" Loading ASIO ", " Loading Built-in Audio: Analog Stereo ",
                                        " Loading Dead Card ", " Loading USB Desk "}));
    EXPECT_TRUE(box_.shown().empty());
    EXPECT_EQ(list_.Count(), OutputList::kRows);
    EXPECT_EQ(list_.Text(4), "Analog Stereo");
    EXPECT_EQ(list_.ItemData(5), 5);
    // The test file is gone again.
    EXPECT_FALSE(std::filesystem::exists(OutputTestFilePath(dir_.Path())));
}

TEST_F(BuildOutputsTest, NoOutputAtAllTellsTheOperator) {
    Card("Dead Card");
    catalog_.dead = {"Dead Card"};
    BuildOutputs(services_, table_, list_);
    EXPECT_TRUE(table_.entries.empty());
    ASSERT_EQ(box_.shown().size(), 1u);
    EXPECT_EQ(box_.shown()[0].text,
              "Unable to find any audio hardware.\nPlease check the setup of this PC.");
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
    // The list still has its 32 rows, all empty.
    EXPECT_EQ(list_.Count(), OutputList::kRows);
    EXPECT_EQ(list_.TableIndex(0, table_), -1);
}

TEST_F(BuildOutputsTest, AtMostThirtyTwoOutputsEngineIncluded) {
    services_.engine = &engine_;
    for (int i = 0; i < 40; ++i) {
        Card("Card " + std::to_string(i));
    }
    BuildOutputs(services_, table_, list_);
    ASSERT_EQ(table_.entries.size(), 32u);
    EXPECT_EQ(table_.entries.back().deviceName, "Card 27");
}

TEST_F(BuildOutputsTest, ARebuildStartsFromAnEmptyTable) {
    services_.engine = &engine_;
    Card("A");
    BuildOutputs(services_, table_, list_);
    services_.engine = nullptr;
    catalog_.devices.clear();
    Card("B");
    BuildOutputs(services_, table_, list_);
    EXPECT_FALSE(table_.asioActive);
    EXPECT_EQ(DeviceNames(), std::vector<std::string>{"B"});
    EXPECT_EQ(list_.Text(0), "B");
    EXPECT_EQ(list_.Text(1), "");
}

TEST_F(BuildOutputsTest, WithoutATestFileEveryCardIsAccepted) {
    services_.tempFolder = dir_.File("no such folder");
    Card("Dead Card");
    catalog_.dead = {"Dead Card"};
    BuildOutputs(services_, table_, list_);
    EXPECT_EQ(DeviceNames(), std::vector<std::string>{"Dead Card"});
    EXPECT_TRUE(catalog_.created.empty());
}

// The temporary folder is shared with other users: a link planted under the
// test file's name must not make the build overwrite or delete its target.
TEST_F(BuildOutputsTest, APlantedLinkIsNotWrittenThrough) {
    const std::string victim = dir_.Write("victim.txt", "precious");
    std::filesystem::create_symlink(victim, OutputTestFilePath(dir_.Path()));
    Card("Card");
    BuildOutputs(services_, table_, list_);
    std::ifstream in(victim);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "precious");
    EXPECT_EQ(DeviceNames(), std::vector<std::string>{"Card"});
}

// Two programs building their outputs at once: the one that finished first
// deleted the other's test file under its probes, and every sound card the
// other had not probed yet was left out.
TEST_F(BuildOutputsTest, AnotherProgramsTestFileIsLeftAlone) {
    const std::string theirs = dir_.Write("tamberlinetest.wav", "another program's probe");
    Card("Card");
    BuildOutputs(services_, table_, list_);
    EXPECT_EQ(DeviceNames(), std::vector<std::string>{"Card"});
    std::ifstream in(theirs);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "another program's probe");
    EXPECT_FALSE(std::filesystem::exists(OutputTestFilePath(dir_.Path())));
}

TEST(OutputTestFile, IsTheSilentSixteenBitStereoFileOf1816Bytes) {
    testing::TempDir dir;
    const std::string path = OutputTestFilePath(dir.Path());
    ASSERT_TRUE(WriteOutputTestFile(path));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 1816u);
    const std::string header(
        "RIFF\x10\x07\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0"
        "\x10\xB1\x02\0\x04\0\x10\0data\xEC\x06\0\0",
        44);
    EXPECT_EQ(bytes.substr(0, 44), header);
    EXPECT_EQ(bytes.find_first_not_of('\0', 44), std::string::npos);
}

TEST(SelectSoundCards, SkipsMonitorsModemsAndSecondListings) {
    const std::vector<AudioSinkDevice> devices = {
        {"Test Sink B", false, false},  // listed first by the native interface
        {"Monitor of Test Sink B", true, true}, {"HDA Intel MODEM", true, false},
        {"Test Sink A", false, false},          {"Test Sink B", true, false},
        {"Test Sink A", true, false},           {"", true, false},
        {"Modern Speakers", true, false},
    };
    EXPECT_EQ(SelectSoundCards(devices),
              (std::vector<std::string>{"Test Sink B", "Test Sink A", "Modern Speakers"}));
}

struct DisplayNameCase {
    std::string deviceName;
    std::string userName;  // empty: none stored
    std::string shown;
};

class OutputDisplayNameTest : public ::testing::TestWithParam<DisplayNameCase> {};

TEST_P(OutputDisplayNameTest, UserNameElseTheTextAfterTheFirstColon) {
    testing::TempDir dir;
    Registry registry(QString::fromStdString(dir.File("settings.conf")));
    if (!GetParam().userName.empty()) {
        registry.SetString(settings::OutputUserName(GetParam().deviceName), GetParam().userName);
    }
    EXPECT_EQ(OutputDisplayName(GetParam().deviceName, registry), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OutputDisplayNameTest,
    ::testing::Values(DisplayNameCase{"Speakers", "", "Speakers"},
                      DisplayNameCase{"Speakers (USB Audio)", "", "Speakers (USB Audio)"},
                      DisplayNameCase{"HDA Intel: ALC892 Analog", "", "ALC892 Analog"},
                      DisplayNameCase{"A: B: C", "", "B: C"},
                      DisplayNameCase{"Time:Code", "", "Time:Code"},
                      DisplayNameCase{"HDA Intel: ALC892 Analog", "Front Fill", "Front Fill"}));

TEST(AddOutputRenderer, PutsTheNamedCardsRendererIntoTheGraph) {
    FakeSinkCatalog catalog;
    OutputTable table;
    table.entries = {{"ASIO 1+2", "ASIO 1+2", true}, {"HDA: Front", "Front", false}};
    MediaGraph graph(3, nullptr);
    EXPECT_FALSE(AddOutputRenderer(graph, table, 0, catalog));  // the engine's pair
    EXPECT_FALSE(AddOutputRenderer(graph, table, 2, catalog));
    EXPECT_FALSE(AddOutputRenderer(graph, table, -1, catalog));
    EXPECT_TRUE(catalog.created.empty());
    EXPECT_TRUE(AddOutputRenderer(graph, table, 1, catalog));
    EXPECT_EQ(catalog.created, std::vector<std::string>{"HDA: Front"});
}

}  // namespace
}  // namespace tamberline
