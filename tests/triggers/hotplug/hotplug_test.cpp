#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_message_box.h"
#include "triggers/hotplug/hotplug_part.h"
#include "triggers/hotplug/media_devices.h"

namespace tamberline::testing {
namespace {

struct CompareCase {
    const char* name;
    MediaDeviceList kept;
    MediaDeviceList now;
    std::vector<std::string> added;
    std::vector<std::string> removed;
};

class CompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTest, ListsCompareAsMultisets) {
    const MediaDeviceChange change = CompareMediaDevices(GetParam().kept, GetParam().now);
    EXPECT_EQ(change.added, GetParam().added);
    EXPECT_EQ(change.removed, GetParam().removed);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CompareTest,
    ::testing::Values(CompareCase{"same", {"A", "B"}, {"A", "B"}, {}, {}},
                      CompareCase{"order_alone_is_no_change", {"A", "B"}, {"B", "A"}, {}, {}},
                      CompareCase{"added_at_the_end", {"A"}, {"A", "Mic"}, {"Mic"}, {}},
                      CompareCase{"added_in_the_middle", {"A", "C"}, {"A", "B", "C"}, {"B"}, {}},
                      // Equal counts: a count comparison sees nothing.
                      CompareCase{
                          "swap_inside_the_window", {"A", "Old"}, {"A", "New"}, {"New"}, {"Old"}},
                      CompareCase{"second_device_of_one_name",
                                  {"USB Audio Device"},
                                  {"USB Audio Device", "USB Audio Device"},
                                  {"USB Audio Device"},
                                  {}},
                      CompareCase{"one_of_two_equal_names_gone",
                                  {"USB Audio Device", "X", "USB Audio Device"},
                                  {"X", "USB Audio Device"},
                                  {},
                                  {"USB Audio Device"}}),
    [](const auto& info) { return std::string(info.param.name); });

class FakeDevices final : public MediaDeviceSource {
public:
    MediaDeviceList List() override { return list; }
    MediaDeviceList list;
};

class HotplugTest : public ::testing::Test {
protected:
    HotplugTest() {
        devices_.list = {"Built-in Audio", "USB Audio Device"};
        part_.Start(StartStep::kDeviceSnapshot);
    }
    // What happened, in order: the outputs' refresh, the status line and
    // every box shown.
    std::vector<std::string> events_;
    ScriptedMessageBox box_;
    class OrderedBox final : public MessageBox {
    public:
        OrderedBox(ScriptedMessageBox& box, std::vector<std::string>& events)
            : box_(box), events_(events) {}
        int Show(const std::string& text, unsigned flags, BoxPlacement placement) override {
            events_.push_back("box");
            return box_.Show(text, flags, placement);
        }

    private:
        ScriptedMessageBox& box_;
        std::vector<std::string>& events_;
    } ordered_{box_, events_};
    FakeDevices devices_;
    HotplugPart part_{ordered_, devices_,
                      HotplugPart::Hooks{[this] { events_.push_back("outputs"); },
                                         [this] { events_.push_back("status"); }}};
};

TEST_F(HotplugTest, NothingChangedSaysNothing) {
    part_.HardwareCheck();
    EXPECT_TRUE(events_.empty());
}

TEST_F(HotplugTest, LostDeviceIsTakenInBeforeTheMessage) {
    devices_.list = {"Built-in Audio"};
    part_.HardwareCheck();
    EXPECT_EQ(events_, (std::vector<std::string>{"outputs", "status", "box"}));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{
                                "USB Audio Device\n\nHardware lost.\nDevice is not available.\n"});
    EXPECT_EQ(part_.kept(), devices_.list);
    part_.HardwareCheck();
    EXPECT_EQ(box_.Texts().size(), 1u);
}

TEST_F(HotplugTest, NewDeviceIsUsedWhenTheOperatorSaysYes) {
    devices_.list.push_back("USB Audio Device");
    box_.Answer("Yes");
    part_.HardwareCheck();
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>{
                  "USB Audio Device\n\nNew hardware found.\nDo you want to use it?\n"});
    EXPECT_EQ(box_.shown()[0].flags & 0xF, mb::kYesNo);
    EXPECT_EQ(events_, (std::vector<std::string>{"box", "outputs", "status"}));
    EXPECT_EQ(part_.kept(), devices_.list);
}

TEST_F(HotplugTest, NewDeviceRefusedIsAskedAboutAgain) {
    devices_.list.push_back("Camera");
    box_.Answer("No");
    part_.HardwareCheck();
    EXPECT_EQ(events_, std::vector<std::string>{"box"});
    EXPECT_EQ(part_.kept().size(), 2u);
    box_.Answer("No");
    part_.HardwareCheck();
    EXPECT_EQ(box_.Texts().size(), 2u);
}

TEST_F(HotplugTest, SwapIsReportedAsTheLossAndTheListIsCurrentAfterwards) {
    devices_.list = {"Built-in Audio", "Headset"};
    part_.HardwareCheck();
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{
                                "USB Audio Device\n\nHardware lost.\nDevice is not available.\n"});
    part_.HardwareCheck();
    EXPECT_EQ(box_.Texts().size(), 1u);
}

}  // namespace
}  // namespace tamberline::testing
