#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <mutex>

#include "cd/burn_controller.h"
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

class FakeView final : public BurnController::View {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetProgress(int percent) override { progress = percent; }
    void SetBurning(bool on) override { burning = on; }
    void CloseDialog() override { closed = true; }
    std::vector<std::string> statuses;
    int progress = -1;
    bool burning = false;
    bool closed = false;
};

// Posted work runs when the test drains the queue, as the GUI thread would.
class Queue {
public:
    BurnController::Poster Poster() {
        return [this](std::function<void()> fn) {
            std::lock_guard lock(mutex_);
            items_.push_back(std::move(fn));
        };
    }
    // Runs posted work until `done` or a time-out.
    bool RunUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 2000 && !done(); ++i) {
            std::deque<std::function<void()>> now;
            {
                std::lock_guard lock(mutex_);
                now.swap(items_);
            }
            for (auto& fn : now)
                fn();
            if (now.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> items_;
};

class FakeRecorder final : public Recorder {
public:
    std::string result;
    int locks = 0;
    std::atomic<bool> waitForStop{false};
    std::vector<std::string> burnt;
    std::string Name() const override { return "fake"; }
    std::string Burn(const std::vector<BurnTrack>& tracks, BurnEvents& events,
                     const std::atomic<bool>& stop) override {
        events.Preparing();
        events.TrackProgress(0, static_cast<int>(tracks.size()));
        events.BlockProgress(1, 0);  // a zero total must not divide
        for (const auto& t : tracks)
            burnt.push_back(t.title);
        while (waitForStop && !stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return stop ? kBurnCancelled : result;
    }
    bool LockTray(bool lock) override {
        locks += lock ? 1 : -1;
        return true;
    }
};

BurnList ListOf(const TempDir& dir, int n) {
    BurnList list;
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i) {
        names.push_back("t" + std::to_string(i) + ".wav");
        dir.Write(names.back(), MakeWav(NoiseAudio(4000, static_cast<uint32_t>(i))));
    }
    list.Add(dir.Path() + "/", names, std::nullopt, CheckWavFile);
    return list;
}

// Fault: the recording's result was not examined; a failed burn left the
// dialog recording with the tray locked.
TEST(BurnController, AFailedBurnShowsTheErrorAndEndsTheBurn) {
    TempDir dir;
    BurnList list = ListOf(dir, 2);
    ScriptedMessageBox box;
    FakeView view;
    Queue queue;
    FakeRecorder recorder;
    recorder.result = "No disc in drive.";
    BurnController burn(box, view, queue.Poster());
    ASSERT_TRUE(burn.Burn(recorder, list, CheckWavFile));
    EXPECT_TRUE(view.burning);
    EXPECT_EQ(recorder.locks, 1);
    ASSERT_TRUE(queue.RunUntil([&] { return !burn.busy() && !box.shown().empty(); }));
    EXPECT_FALSE(view.burning);
    EXPECT_FALSE(burn.trayLocked());
    EXPECT_EQ(recorder.locks, 0);
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"No disc in drive."});
    EXPECT_EQ(view.progress, 0);
}

// Fault: an invalid slot was skipped silently; now the tracks are listed first.
TEST(BurnController, TracksThatWillBeSkippedAreListedBeforeRecording) {
    TempDir dir;
    BurnList list = ListOf(dir, 3);
    std::filesystem::remove(dir.File("t2.wav"));
    ScriptedMessageBox box;
    box.Answer("Yes");
    FakeView view;
    Queue queue;
    FakeRecorder recorder;
    BurnController burn(box, view, queue.Poster());
    ASSERT_TRUE(burn.Burn(recorder, list, CheckWavFile));
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_NE(box.Texts()[0].find(" 2. t2.wav"), std::string::npos);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{" 1. t1.wav", " 2. t3.wav"}));
    ASSERT_TRUE(queue.RunUntil([&] { return !burn.busy(); }));
    EXPECT_EQ(recorder.burnt, (std::vector<std::string>{"t1.wav", "t3.wav"}));
    EXPECT_EQ(box.shown().size(), 1u);
}

TEST(BurnController, CancelWhileRecordingAsksAndExitClosesWhenDone) {
    TempDir dir;
    BurnList list = ListOf(dir, 1);
    ScriptedMessageBox box;
    box.Answer("Yes");
    FakeView view;
    Queue queue;
    FakeRecorder recorder;
    recorder.waitForStop = true;
    BurnController burn(box, view, queue.Poster());
    ASSERT_TRUE(burn.Burn(recorder, list, CheckWavFile));
    ASSERT_TRUE(queue.RunUntil([&] { return burn.recording(); }));
    EXPECT_FALSE(burn.Exit());
    EXPECT_EQ(box.Texts(),
              std::vector<std::string>{
                  "If you interrupt a burn, the disc will be junk.\nDo you want to stop burning?"});
    ASSERT_TRUE(queue.RunUntil([&] { return view.closed; }));
    EXPECT_FALSE(burn.busy());
    EXPECT_EQ(recorder.locks, 0);
    EXPECT_EQ(box.shown().size(), 1u);  // a cancel is no error
}

}  // namespace
}  // namespace tamberline
