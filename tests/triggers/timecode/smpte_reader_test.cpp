// Switching the SMPTE reader on and off over capture devices a test fakes:
// the device choice, the operator's messages, and devices coming and going,
// also while the "SMPTE Source" list is open.

#include "triggers/timecode/smpte_reader.h"

#include <gtest/gtest.h>

#include "app/asio_control_panel.h"
#include "app/list_selection_model.h"
#include "app/smpte_setup.h"
#include "playback/control_thread.h"
#include "session/registry.h"
#include "session/settings.h"
#include "support/manual_clock.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"
#include "triggers/ltc_presence.h"
#include "triggers/timecode/timecode_engine.h"

namespace tamberline::testing {
namespace {

class FakeCapture final : public CaptureSource {
public:
    struct Stream final : CaptureStream {
        explicit Stream(int& open) : open_(open) { ++open_; }
        ~Stream() override { --open_; }
        int& open_;
    };
    std::vector<std::string> Devices() override { return devices; }
    std::unique_ptr<CaptureStream> Open(const std::string& device, BlockFn block,
                                        LostFn lost) override {
        if (device == refuses) {
            return nullptr;
        }
        opened.push_back(device);
        this->block = std::move(block);
        this->lost = std::move(lost);
        return std::make_unique<Stream>(open);
    }

    std::vector<std::string> devices;
    std::string refuses;
    std::vector<std::string> opened;
    int open = 0;
    BlockFn block;
    LostFn lost;
};

class SmpteReaderTest : public ::testing::Test {
protected:
    SmpteReaderTest() { capture_.devices = {"Line In (USB Audio)", "Monitor of Desk", "Mic"}; }

    SmpteReader& Reader() {
        reader_.RefreshDevices();
        return reader_;
    }
    std::string Stored() {
        std::string name;
        registry_.GetString(settings::kSmpteInput, name);
        return name;
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    FakeCapture capture_;
    ManualClock clock_;
    LtcPresence presence_;
    ControlThread control_;
    TimecodeEngine engine_{control_, {clock_, presence_, {}, [](const std::string&) {}, {}}};
    std::vector<std::string> status_;
    SmpteReader reader_{{registry_, box_, capture_, engine_, presence_,
                         [this](int, const std::string& text) { status_.push_back(text); }}};
};

TEST_F(SmpteReaderTest, TheStoredDeviceIsFoundByItsBeginningInAnyCase) {
    const struct {
        const char* stored;
        const char* opened;
    } cases[] = {
        {"", "Line In (USB Audio)"},  // nothing stored: the first device
        {"monitor of", "Monitor of Desk"},
        {"MIC", "Mic"},
        {"Line In (USB Audio)", "Line In (USB Audio)"},
    };
    for (const auto& c : cases) {
        registry_.SetString(settings::kSmpteInput, c.stored);
        ASSERT_TRUE(Reader().Enable()) << c.stored;
        EXPECT_EQ(capture_.opened.back(), c.opened);
        reader_.Disable();
        EXPECT_EQ(capture_.open, 0);
    }
    EXPECT_TRUE(box_.Texts().empty());
}

TEST_F(SmpteReaderTest, EachFailureSaysWhatHappenedAndLeavesTheReaderOff) {
    const struct {
        std::vector<std::string> devices;
        const char* stored;
        const char* refuses;
        const char* message;
    } cases[] = {
        {{}, "Mic", "", "Unable to find any input devices.\nSMPTE reader is unavailable."},
        {{"Mic"}, "Studio LTC", "", "Studio LTC\nCannot find this device.\nSMPTE reader is off."},
        {{"Mic"}, "mi", "Mic", "mi\nSelected input device\nis unavailable."},
    };
    for (const auto& c : cases) {
        capture_.devices = c.devices;
        capture_.refuses = c.refuses;
        registry_.SetString(settings::kSmpteInput, c.stored);
        box_ = ScriptedMessageBox();
        EXPECT_FALSE(Reader().Enable());
        EXPECT_FALSE(reader_.IsOn());
        ASSERT_EQ(box_.Texts().size(), 1U);
        EXPECT_EQ(box_.Texts()[0], c.message);
        // The operator's choice is kept for when the device is back.
        EXPECT_EQ(Stored(), c.stored);
    }
}

TEST_F(SmpteReaderTest, AMissingDeviceIsWaitedForAndAReaderFollowsItsDevice) {
    registry_.SetString(settings::kSmpteInput, "Studio LTC");
    EXPECT_FALSE(Reader().Enable());
    EXPECT_TRUE(reader_.waitsForDevice());
    capture_.devices.push_back("Studio LTC Interface");
    EXPECT_TRUE(reader_.HardwareCheck());
    EXPECT_EQ(reader_.ChosenDevice(), 3);
    ASSERT_TRUE(reader_.Enable());
    // Unplugged while reading: the capture says so, the check closes it.
    capture_.lost();
    EXPECT_EQ(status_.back(), " SMPTE input lost ");
    capture_.devices.pop_back();
    reader_.HardwareCheck();
    EXPECT_EQ(capture_.open, 0);
    EXPECT_TRUE(reader_.IsOn());
    // Plugged in again: reading goes on by itself.
    capture_.devices.push_back("Studio LTC Interface");
    reader_.HardwareCheck();
    EXPECT_EQ(capture_.open, 1);
    EXPECT_EQ(capture_.opened.size(), 2U);
}

TEST_F(SmpteReaderTest, BlocksFromTheFirstMomentFindADecoder) {
    ASSERT_TRUE(Reader().Enable());
    const std::vector<uint8_t> block(LtcDecoder::kBlockBytes, 128);
    capture_.block(block, clock_.TickCount());  // no crash, nothing decoded
    engine_.Inspect([](const TimecodeSources& s) { EXPECT_FALSE(s.ltcLocked()); });
}

// The dialog as the operator leaves it open: `whileOpen` plays what
// happens meanwhile, and the answer is OK.
class OpenList final : public ListSelectionRunner {
public:
    explicit OpenList(std::function<void(ListSelectionModel&)> whileOpen)
        : whileOpen_(std::move(whileOpen)) {}
    bool Run(ListSelectionModel& model) override {
        whileOpen_(model);
        return true;
    }

private:
    std::function<void(ListSelectionModel&)> whileOpen_;
};

TEST_F(SmpteReaderTest, AnOpenSourceListIsFilledAgainWhenDevicesComeOrGo) {
    const struct {
        const char* name;
        const char* stored;
        const char* picked;  // by the operator before the change; "" none
        std::vector<std::string> after;
        int selected;  // in `after`
    } cases[] = {
        {"the pick moves down",
         "Mic",
         "Monitor of Desk",
         {"USB LTC", "Line In (USB Audio)", "Monitor of Desk", "Mic"},
         2},
        {"the pick went: the stored choice",
         "mic",
         "Monitor of Desk",
         {"Line In (USB Audio)", "Mic"},
         1},
        {"the pick and the stored one went: none, as at opening",
         "Monitor",
         "Monitor of Desk",
         {"Mic", "USB LTC"},
         -1},
        {"nothing stored: the first", "", "Monitor of Desk", {"Mic", "USB LTC"}, 0},
        {"the stored choice, not picked, moves", "Mic", "", {"USB LTC", "Mic"}, 1},
        {"every device went", "Mic", "Mic", {}, -1},
    };
    ScriptedFileDialog files;
    AsioControlPanels panels(registry_, box_, files);
    for (const auto& c : cases) {
        capture_.devices = {"Line In (USB Audio)", "Monitor of Desk", "Mic"};
        registry_.SetString(settings::kSmpteInput, c.stored);
        Reader();
        OpenList dialog([&](ListSelectionModel& model) {
            if (*c.picked != 0) {
                model.Select(FindCaptureDevice(model.Rows(), c.picked));
            }
            int told = 0;
            model.SetRowsChanged([&told] { ++told; });
            capture_.devices = c.after;
            reader_.HardwareCheck();
            EXPECT_EQ(told, 1) << c.name;
            EXPECT_EQ(model.Rows(), c.after) << c.name;
            EXPECT_EQ(model.Selected(), c.selected) << c.name;
            // Nothing changed: nothing to fill.
            reader_.HardwareCheck();
            EXPECT_EQ(told, 1) << c.name;
            model.SetRowsChanged({});
        });
        EXPECT_EQ(ChooseSmpteSource(reader_, registry_, dialog, panels), 9) << c.name;
        // OK stores the row selected in the new list; none keeps the old.
        EXPECT_EQ(Stored(), c.selected >= 0 ? c.after[static_cast<size_t>(c.selected)] : c.stored)
            << c.name;
    }
    // Closed, the list is no longer followed.
    capture_.devices = {"Mic"};
    EXPECT_TRUE(reader_.HardwareCheck());
}

}  // namespace
}  // namespace tamberline::testing
