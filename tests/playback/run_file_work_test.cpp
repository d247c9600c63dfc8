#include <gtest/gtest.h>

#include <sndfile.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "playback/run_controller.h"
#include "run_fixture.h"

namespace tamberline::testing {
namespace {

using namespace std::chrono_literals;

// Stands for a slow disk: every length measured waits until opened.
class Gate {
public:
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    void Pass() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// Run control on its own threads; button 2 plays a songlist whose entries
// take as long to measure as the test wants, the others plain files.
class RunFileWork : public OfflineSound {
protected:
    void SetUp() override {
        OfflineSound::SetUp();
        RunServices services;
        services.host = &host_;
        services.mediaLength = [this](const std::string&) {
            gate_.Pass();
            return 1000;
        };
        run_ = std::make_unique<RunController>(services);
        OutputTable table;
        table.entries.push_back({"ASIO 1+2", "ASIO 1+2", true});
        OutputList list;
        list.Fill(table);
        run_->SetOutputs(table, list);
        run_->SetEngine(&system_);
        run_->StartTicking();
        file_ = WriteMarkerFile(dir_, "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 480000);
        run_->LoadRecord(1, Assigned(file_));
        run_->LoadRecord(2, Assigned(dir_.Write("slow.m3u", "a.wav\n")));
    }
    void TearDown() override {
        gate_.Open();
        run_->Shutdown();
    }
    static ButtonRecord Assigned(const std::string& path) {
        ButtonRecord record{};
        SetPath(record, path);
        record.status = STATUS_ASSIGNED;
        record.volume = 100;
        record.pan = 100;
        record.varispeed = 100;
        return record;
    }
    // Waits for the control thread's queue only, not for the file work.
    void Settle() { run_->control().Drain(); }
    static bool WaitFor(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (!done() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(5ms);
        }
        return done();
    }

    Gate gate_;
    RecordingHost host_;
    std::unique_ptr<RunController> run_;
    std::string file_;
};

// A start waiting for its file holds up neither fades nor stop-all.
TEST_F(RunFileWork, SlowFileHoldsUpNoFadeAndNoStopAll) {
    ButtonRecord fading = Assigned(file_);
    fading.fadeIn = 3;
    run_->LoadRecord(1, fading);
    run_->StartButton(2);
    run_->StartButton(1);
    ASSERT_TRUE(WaitFor([this] { return run_->Snapshot(1).running; }));
    EXPECT_TRUE(WaitFor([this] { return !run_->Snapshot(1).fadingIn; }))
        << "the fade-in ran to its end";
    EXPECT_TRUE(run_->Snapshot(1).running);
    EXPECT_FALSE(run_->Snapshot(2).running) << "still waiting for its file";

    run_->StopAll();
    Settle();
    EXPECT_FALSE(run_->Snapshot(1).running);

    // The slow start was asked for before the stop-all: it is not made after.
    gate_.Open();
    run_->Drain();
    EXPECT_FALSE(run_->Snapshot(2).running);
    EXPECT_TRUE(host_.asked.empty());
}

struct OrderCase {
    const char* what;
    std::vector<char> commands;  // s start, x stop, r release
    bool running;
};

class CommandOrder : public RunFileWork, public ::testing::WithParamInterface<OrderCase> {};

// Commands for a button whose file is still being opened wait for it, and
// then take effect in the order they were made.
TEST_P(CommandOrder, CommandsBehindASlowStartKeepTheirOrder) {
    for (char command : GetParam().commands) {
        switch (command) {
            case 's': run_->StartButton(2); break;
            case 'x': run_->StopButton(2); break;
            default: run_->ReleaseButton(2); break;
        }
    }
    run_->StartButton(1);
    EXPECT_TRUE(WaitFor([this] { return run_->Snapshot(1).running; }))
        << "another button is not held up";
    gate_.Open();
    run_->Drain();
    EXPECT_EQ(run_->Snapshot(2).running, GetParam().running);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandOrder,
                         ::testing::Values(OrderCase{"StartStop", {'s', 'x'}, false},
                                           OrderCase{"StartStopStart", {'s', 'x', 's'}, true},
                                           OrderCase{"StartRelease", {'s', 'r'}, false}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace tamberline::testing
