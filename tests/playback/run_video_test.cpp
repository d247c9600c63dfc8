// The one video display under run control: graphs on collecting sinks and a
// window that only records what it is asked to do.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include <gst/gst.h>

#include "playback/graph/audio_sinks.h"
#include "playback/graph/media_fixtures.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/video_fixtures.h"
#include "playback/graph/video_renderer.h"
#include "playback/video_display.h"
#include "run_fixture.h"

namespace tamberline::testing {
namespace {

using namespace std::chrono_literals;

// One collector for every renderer asked for, so that each button's sound
// can be measured.
class CollectingCards final : public AudioSinkCatalog {
public:
    std::vector<AudioSinkDevice> Enumerate() override { return {{"Card", true, false}}; }
    GstElement* CreateRenderer(const std::string&) override {
        collectors.push_back(std::make_unique<SampleCollector>(48000, 2));
        // In time, as a sound card plays: the buttons run as long as their files.
        g_object_set(collectors.back()->Renderer(), "sync", TRUE, nullptr);
        return collectors.back()->Renderer();
    }
    std::vector<std::unique_ptr<SampleCollector>> collectors;
};

class RecordingScreen final : public VideoScreen {
public:
    GstElement* MakeRenderer() override {
        if (brokenDisplay) {
            return MakeVideoRenderer(0, ":97");
        }
        std::lock_guard lock(mutex_);
        pictures.push_back(std::make_unique<PictureCollector>());
        return pictures.back()->Renderer();
    }
    PictureArea Area() const override { return {640, 480, false}; }
    void Show(const std::string& caption, int width, int height) override {
        std::lock_guard lock(mutex_);
        calls.push_back("show " + caption + " " + std::to_string(width) + "x" +
                        std::to_string(height));
    }
    void Hide() override {
        std::lock_guard lock(mutex_);
        calls.push_back("hide");
    }
    std::vector<std::string> Calls() const {
        std::lock_guard lock(mutex_);
        return calls;
    }
    // Waits until `count` calls came.
    bool WaitForCalls(size_t count) const {
        for (int i = 0; i < 500; ++i) {
            if (Calls().size() >= count) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    bool brokenDisplay = false;
    std::vector<std::unique_ptr<PictureCollector>> pictures;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> calls;
};

constexpr int kCard = 4;  // the output row after the engine's four pairs

class RunVideo : public RunFixture {
protected:
    void SetUp() override {
        RunFixture::SetUp();
        display_.SetScreen(&screen_);
        RunServices services;
        services.host = &host_;
        services.runLog = log_.get();
        services.midiOut = &midi_;
        services.catalog = &cards_;
        services.video = &display_;
        runner_ = std::make_unique<ButtonRunner>(*control_, services);
        OutputTable table;
        for (int pair = 0; pair < 4; ++pair) {
            const std::string name = "ASIO " + std::to_string(2 * pair + 1);
            table.entries.push_back({name, name, true});
        }
        table.entries.push_back({"Card", "Card", false});
        OutputList list;
        list.Fill(table);
        runner_->SetOutputs(table, list);
        std::vector<MediaGraph*> graphs;
        for (int b = 0; b < 16; ++b) {
            graphs_.push_back(std::make_unique<MediaGraph>(b, &events_));
            graphs.push_back(graphs_.back().get());
        }
        runner_->SetGraphs(graphs);
    }
    void TearDown() override {
        RunFixture::TearDown();
        graphs_.clear();
    }

    std::string Clip(const std::string& name, int width = 320, int height = 240) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(WriteBarsClip(path, VideoCodec::kVp8InWebM, width, height, 3.0));
        return path;
    }
    // Hands the graphs' events to run control for a while.
    void Events(std::chrono::milliseconds during) {
        const auto end = std::chrono::steady_clock::now() + during;
        while (std::chrono::steady_clock::now() < end) {
            for (int b = 0; b < 16; ++b) {
                runner_->OnMediaEvent(b);
            }
            std::this_thread::sleep_for(5ms);
        }
    }
    std::vector<std::string> Reports() const {
        std::lock_guard lock(reportLock_);
        return reports_;
    }

    mutable std::mutex reportLock_;
    std::vector<std::string> reports_;
    VideoDisplay display_{[this](const std::string& text) {
        std::lock_guard lock(reportLock_);
        reports_.push_back(text);
    }};
    RecordingScreen screen_;
    CollectingCards cards_;
    EventWaiter events_;
    std::vector<std::unique_ptr<MediaGraph>> graphs_;
};

TEST_F(RunVideo, TheFirstVideoButtonShowsItsPictureAndTheSecondPlaysItsSoundOnly) {
    Load(11, Record(Clip("first.webm"), kCard));
    Load(12, Record(Clip("second.webm"), kCard));
    runner_->StartButton(11);
    ASSERT_TRUE(screen_.WaitForCalls(1));
    EXPECT_EQ(screen_.Calls(), std::vector<std::string>{"show Button 12 320x240"});
    EXPECT_EQ(display_.Owner(), 11);

    runner_->StartButton(12);
    ASSERT_TRUE(runner_->State(12).running);
    EXPECT_FALSE(graphs_[12]->ShowsPicture());
    Events(300ms);
    EXPECT_EQ(screen_.Calls().size(), 1u);
    const size_t heard = cards_.collectors.back()->Samples().size();
    EXPECT_GT(heard, 0u);

    runner_->StopButton(11);
    EXPECT_EQ(screen_.Calls().back(), "hide");
    EXPECT_EQ(display_.Owner(), -1);
    // The second keeps playing its sound, still without picture.
    Events(300ms);
    EXPECT_TRUE(runner_->State(12).running);
    EXPECT_GT(cards_.collectors.back()->Samples().size(), heard);
    EXPECT_EQ(screen_.Calls().size(), 2u);

    runner_->StopButton(12);
    runner_->StartButton(12);
    ASSERT_TRUE(screen_.WaitForCalls(3));
    EXPECT_EQ(screen_.Calls().back(), "show Button 13 320x240");
    EXPECT_EQ(display_.Owner(), 12);
    runner_->StopButton(12);
}

TEST_F(RunVideo, ALoopingButtonKeepsTheDisplayAcrossPasses) {
    const std::string path = dir_.File("short.webm");
    ASSERT_TRUE(WriteBarsClip(path, VideoCodec::kVp8InWebM, 320, 240, 1.0));
    ButtonRecord record = Record(path, kCard);
    record.loop = 1;
    Load(2, record);
    runner_->StartButton(2);
    ASSERT_TRUE(screen_.WaitForCalls(1));
    Events(2500ms);  // two passes and more
    EXPECT_TRUE(runner_->State(2).running);
    EXPECT_EQ(screen_.Calls(), std::vector<std::string>{"show Button 3 320x240"});
    EXPECT_EQ(display_.Owner(), 2);
    EXPECT_TRUE(graphs_[2]->ShowsPicture());
    runner_->StopButton(2);
    EXPECT_EQ(screen_.Calls().back(), "hide");
}

TEST_F(RunVideo, APausedButtonKeepsItsPictureAndShowsItAgainOnResuming) {
    ButtonRecord record = Record(Clip("clip.webm"), kCard);
    record.flags = kFlagPause;
    Load(4, record);
    runner_->StartButton(4);
    ASSERT_TRUE(screen_.WaitForCalls(1));
    runner_->ReleaseButton(4);
    ASSERT_TRUE(runner_->State(4).paused);
    EXPECT_EQ(display_.Owner(), 4);
    EXPECT_EQ(screen_.Calls().size(), 1u);  // the paused picture stays up
    runner_->StartButton(4);
    EXPECT_TRUE(runner_->State(4).running);
    EXPECT_EQ(screen_.Calls(),
              (std::vector<std::string>{"show Button 5 320x240", "show Button 5 320x240"}));
    runner_->StopButton(4);
}

TEST_F(RunVideo, AStopBeforeTheFirstPictureLeavesTheWindowHidden) {
    Load(3, Record(Clip("clip.webm"), kCard));
    for (int i = 0; i < 5; ++i) {
        runner_->StartButton(3);
        runner_->StopButton(3);
    }
    Events(300ms);
    // Every show that came is followed by its hide.
    const std::vector<std::string> calls = screen_.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "hide");
    for (size_t i = 0; i + 1 < calls.size(); ++i) {
        if (calls[i] != "hide") {
            EXPECT_EQ(calls[i + 1], "hide") << i;
        }
    }
}

TEST_F(RunVideo, AnEightKPictureIsNotShownAndTheSoundPlays) {
    const std::string path = dir_.File("huge.mkv");
    ASSERT_TRUE(WriteEightKClip(path));
    Load(0, Record(path, kCard));
    Load(1, Record(Clip("small.webm"), kCard));
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    EXPECT_EQ(Reports(), std::vector<std::string>{
                             "huge.mkv\nThe picture (7680 x 4320) is too large to show.\nThe "
                             "sound plays without it."});
    EXPECT_EQ(display_.Owner(), -1);
    // The display stays free for the next video.
    runner_->StartButton(1);
    ASSERT_TRUE(screen_.WaitForCalls(1));
    EXPECT_EQ(screen_.Calls(), std::vector<std::string>{"show Button 2 320x240"});
    Events(200ms);
    EXPECT_TRUE(runner_->State(0).running);
    runner_->StopAll();
}

TEST_F(RunVideo, ADisplayThatCannotBeOpenedIsToldOnceAndTheSoundPlays) {
    screen_.brokenDisplay = true;
    Load(5, Record(Clip("clip.webm"), kCard));
    for (int start = 0; start < 2; ++start) {
        runner_->StartButton(5);
        ASSERT_TRUE(runner_->State(5).running);
        Events(200ms);
        EXPECT_TRUE(runner_->State(5).running);
        runner_->StopButton(5);
    }
    EXPECT_EQ(Reports(), std::vector<std::string>{"The video display cannot be opened.\nVideo "
                                                  "files play their sound only."});
    EXPECT_TRUE(screen_.Calls().empty() || screen_.Calls().back() == "hide");
    EXPECT_GT(cards_.collectors.back()->Samples().size(), 0u);
}

struct Fit {
    int width, height;
    PictureArea area;
    int fitWidth, fitHeight;
};

TEST(FitPicture, KeepsTheShapeWithinTheArea) {
    const Fit cases[] = {
        {320, 240, {640, 480, false}, 320, 240},      // a window never enlarges
        {1920, 1080, {1280, 800, false}, 1280, 720},  // but shrinks to the work area
        {640, 480, {1920, 1080, true}, 1440, 1080},   // a full screen fills its height
        {1920, 800, {1920, 1080, true}, 1920, 800},
        {321, 241, {640, 480, false}, 320, 240},  // even sides for the scaler
        {1, 1, {640, 480, false}, 2, 2},
        {400, 300, {0, 0, false}, 400, 300},  // no screen known
    };
    for (const Fit& c : cases) {
        const PictureSize fit = FitPicture(c.width, c.height, c.area);
        EXPECT_EQ(fit.width, c.fitWidth) << c.width << "x" << c.height;
        EXPECT_EQ(fit.height, c.fitHeight) << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace tamberline::testing
