// Devices arriving and leaving for real: null sinks of this test's own on
// the PipeWire test server, seen by GStreamer's device monitor, through the
// main tick's debounce into the hardware check and the outputs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/main_tick.h"
#include "playback/outputs_part.h"
#include "playback/run_controller.h"
#include "session/registry.h"
#include "support/manual_clock.h"
#include "support/null_sink.h"
#include "support/scripted_message_box.h"
#include "support/temp_dir.h"
#include "triggers/hotplug/gst_media_devices.h"
#include "triggers/hotplug/hotplug_part.h"

namespace tamberline::testing {
namespace {

// The server's devices as GStreamer lists them, less the sinks other tests
// load on the shared server meanwhile.
class OwnDevices final : public MediaDeviceSource {
public:
    explicit OwnDevices(std::string own) : own_(std::move(own)) {}
    MediaDeviceList List() override {
        MediaDeviceList listed;
        for (std::string& name : devices_.List()) {
            if (name.rfind("Test Sink", 0) == 0 || name.find(own_) != std::string::npos) {
                listed.push_back(std::move(name));
            }
        }
        return listed;
    }

private:
    std::string own_;
    GstMediaDevices devices_;
};

class Host final : public RunHost {
public:
    void RecordChanged(int, const ButtonRecord&, uint32_t) override {}
    void AskAboutFailedStart(int, const std::string&, int) override {}
    void ShowSonglistWarning() override {}
};

class HotplugPipeWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("PULSE_SERVER") == nullptr || !Pactl({"info"})) {
            GTEST_SKIP() << "no PipeWire test server (scripts/test-services.sh start)";
        }
        RunServices services;
        services.host = &host_;
        run_ = std::make_unique<RunController>(services);
        outputs_ = std::make_unique<OutputsPart>(registry_, box_, nullptr, *run_);
        outputs_->SetPlayingRows([this] { return playingRows_; });
        outputs_->SetStatusNote([this](const std::string& text) { notes_.push_back(text); });
        hotplug_ = std::make_unique<HotplugPart>(
            box_, devices_, HotplugPart::Hooks{[this] { outputs_->Refresh(); }, nullptr});
        parts_ = {outputs_.get(), hotplug_.get()};
        tick_ = std::make_unique<MainTick>(clock_, parts_, nullptr);
        tick_->SetEnabled(true);
        watch_ = std::make_unique<GstDeviceWatch>(
            [this] { tick_->NoteDeviceChange(outputs_->built()); });
        outputs_->Start(StartStep::kOutputs);
        hotplug_->Start(StartStep::kDeviceSnapshot);
    }
    void TearDown() override {
        watch_.reset();
        if (run_) {
            run_->Shutdown();
        }
    }

    // Runs the GUI thread's queue and the main tick, 10 ms a step, until
    // `done` or 10 s have passed.
    template <typename Done>
    bool RunUntil(Done done) {
        for (int step = 0; step < 1000 && !done(); ++step) {
            QCoreApplication::processEvents();
            clock_.Advance(10);
            tick_->Run();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }
    bool Offers(const std::string& card) const {
        const auto& entries = outputs_->table().entries;
        return std::any_of(entries.begin(), entries.end(),
                           [&card](const OutputEntry& e) { return e.deviceName == card; });
    }
    // The output row the sink has now, -1 when none.
    int RowOf(const std::string& card) const {
        for (int row = 0; row < OutputList::kRows; ++row) {
            const int index = outputs_->list().TableIndex(row, outputs_->table());
            if (index >= 0 &&
                outputs_->table().entries[static_cast<size_t>(index)].deviceName == card) {
                return row;
            }
        }
        return -1;
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
    ScriptedMessageBox box_;
    Host host_;
    ManualClock clock_;
    NullSink sink_{"tl_hotplug", "TamberlineHotplug"};
    OwnDevices devices_{sink_.Description()};
    std::unique_ptr<RunController> run_;
    std::unique_ptr<OutputsPart> outputs_;
    std::unique_ptr<HotplugPart> hotplug_;
    std::vector<ConsolePart*> parts_;
    std::unique_ptr<MainTick> tick_;
    std::unique_ptr<GstDeviceWatch> watch_;
    std::vector<int> playingRows_;
    std::vector<std::string> notes_;
};

TEST_F(HotplugPipeWireTest, PluggedSinkIsOfferedAndUsedThenReportedLost) {
    ASSERT_FALSE(Offers(sink_.Description()));
    box_.Answer("Yes");
    ASSERT_TRUE(sink_.Load());
    ASSERT_TRUE(RunUntil([&] { return !box_.Texts().empty(); }));
    EXPECT_EQ(box_.Texts().front(),
              sink_.Description() + "\n\nNew hardware found.\nDo you want to use it?\n");
    EXPECT_TRUE(Offers(sink_.Description()));

    sink_.Unload();
    ASSERT_TRUE(RunUntil([&] { return box_.Texts().size() == 2; }));
    EXPECT_EQ(box_.Texts()[1],
              sink_.Description() + "\n\nHardware lost.\nDevice is not available.\n");
    EXPECT_FALSE(Offers(sink_.Description()));
}

TEST_F(HotplugPipeWireTest, OutputsWaitForTheButtonsPlayingOnThem) {
    box_.Answer("Yes");
    ASSERT_TRUE(sink_.Load());
    ASSERT_TRUE(RunUntil([&] { return !box_.Texts().empty(); }));
    const int row = RowOf(sink_.Description());
    ASSERT_GE(row, 0);

    // A button plays on the sink when it goes: its output stays as it is.
    playingRows_ = {row};
    sink_.Unload();
    ASSERT_TRUE(RunUntil([&] { return box_.Texts().size() == 2; }));
    EXPECT_TRUE(outputs_->refreshWaiting());
    EXPECT_TRUE(Offers(sink_.Description()));
    EXPECT_EQ(notes_, std::vector<std::string>{" Outputs change when their buttons stop "});

    // It stops: the change is made at the next try.
    playingRows_.clear();
    ASSERT_TRUE(RunUntil([&] { return !outputs_->refreshWaiting(); }));
    EXPECT_FALSE(Offers(sink_.Description()));
    EXPECT_EQ(notes_.back(), "");
}

}  // namespace
}  // namespace tamberline::testing
