#include "playback/graph/media_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "playback/graph/gstreamer.h"
#include "playback/graph/media_fixtures.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using namespace std::chrono_literals;
using testing::EventWaiter;
using testing::SampleCollector;

constexpr int kRate = 44100;
constexpr auto kPlayTimeout = 10s;

class MediaGraphTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureGStreamer()); }

    std::string RampFile(int frames, int channels = 2) {
        const std::string path = dir_.File("ramp.wav");
        EXPECT_TRUE(testing::WriteWav(path, channels, kRate, frames, testing::Ramp));
        return path;
    }

    // Renders `path` into a collector on button 7's graph.
    void Render(const std::string& path) {
        collector_ = std::make_unique<SampleCollector>(kRate, 2);
        ASSERT_TRUE(graph_.AddRenderer(collector_->Renderer()));
        ASSERT_TRUE(graph_.RenderFile(path));
    }

    // Runs to the end and returns the left channel of what was played.
    std::vector<int16_t> PlayToEnd() {
        EXPECT_TRUE(graph_.Run());
        EXPECT_TRUE(events_.WaitFor(graph_, EC_COMPLETE, kPlayTimeout));
        return Left();
    }

    std::vector<int16_t> Left() const {
        std::vector<int16_t> left;
        const std::vector<int16_t> all = collector_->Samples();
        for (size_t i = 0; i < all.size(); i += 2) {
            left.push_back(all[i]);
        }
        return left;
    }

    testing::TempDir dir_;
    EventWaiter events_;
    MediaGraph graph_{7, &events_};
    std::unique_ptr<SampleCollector> collector_;
};

std::vector<int16_t> RampStretch(int from, int to) {
    std::vector<int16_t> values;
    for (int f = from; f < to; ++f) {
        values.push_back(testing::Ramp(f, 0));
    }
    return values;
}

TEST_F(MediaGraphTest, PlaysEverySampleOnceAndCompletesWithTheButtonIndex) {
    Render(RampFile(20000));
    EXPECT_TRUE(graph_.IsRendererConnected());
    EXPECT_EQ(graph_.GetState(), GraphState::kStopped);

    EXPECT_EQ(PlayToEnd(), RampStretch(0, 20000));
    EXPECT_EQ(graph_.GetState(), GraphState::kRunning);
    const std::vector<int> buttons = events_.NotifiedButtons();
    ASSERT_FALSE(buttons.empty());
    EXPECT_EQ(buttons.front(), 7);
}

TEST_F(MediaGraphTest, DurationInMediaTimeAndSamples) {
    Render(RampFile(kRate * 3 / 2));
    int64_t duration = 0;
    ASSERT_TRUE(graph_.GetDuration(duration));
    EXPECT_EQ(duration, 15'000'000);  // 1.5 s in 100 ns units
    ASSERT_TRUE(graph_.SetTimeFormat(TimeFormat::kSample));
    ASSERT_TRUE(graph_.GetDuration(duration));
    EXPECT_EQ(duration, kRate * 3 / 2);
    int64_t stop = 0;
    ASSERT_TRUE(graph_.GetStopPosition(stop));
    EXPECT_EQ(stop, kRate * 3 / 2);
    int64_t position = -1;
    ASSERT_TRUE(graph_.GetCurrentPosition(position));
    EXPECT_EQ(position, 0);
}

TEST_F(MediaGraphTest, SampleFormatNeedsARenderedFile) {
    EXPECT_FALSE(graph_.SetTimeFormat(TimeFormat::kSample));
    EXPECT_TRUE(graph_.SetTimeFormat(TimeFormat::kMediaTime));
}

// Two passes of one stretch, then a last stretch played to its end: the
// segment flag turns each end into EC_END_OF_SEGMENT, and the stretches join
// without a sample lost or repeated.
TEST_F(MediaGraphTest, SegmentsLoopSampleExactlyAndTheLastPassCompletes) {
    Render(RampFile(12000));
    ASSERT_TRUE(graph_.CanDoSegments());
    ASSERT_TRUE(graph_.SetTimeFormat(TimeFormat::kSample));
    constexpr unsigned kLoop =
        seeking::kAbsolutePositioning | seeking::kSegment | seeking::kNoFlush;      // 0x31
    constexpr unsigned kFinal = seeking::kAbsolutePositioning | seeking::kNoFlush;  // 0x21
    ASSERT_TRUE(graph_.SetPositions(1000, kLoop, 3000, seeking::kAbsolutePositioning));
    ASSERT_TRUE(graph_.Run());
    std::vector<MediaEventCode> seen;
    ASSERT_TRUE(events_.WaitFor(graph_, EC_END_OF_SEGMENT, kPlayTimeout, &seen));
    ASSERT_TRUE(graph_.SetPositions(1000, kLoop, 3000, seeking::kAbsolutePositioning));
    ASSERT_TRUE(events_.WaitFor(graph_, EC_END_OF_SEGMENT, kPlayTimeout, &seen));
    ASSERT_TRUE(graph_.SetPositions(7000, kFinal, 9000, seeking::kAbsolutePositioning));
    ASSERT_TRUE(events_.WaitFor(graph_, EC_COMPLETE, kPlayTimeout, &seen));

    EXPECT_EQ(seen,
              (std::vector<MediaEventCode>{EC_END_OF_SEGMENT, EC_END_OF_SEGMENT, EC_COMPLETE}));
    std::vector<int16_t> expected = RampStretch(1000, 3000);
    const std::vector<int16_t> pass = expected;
    expected.insert(expected.end(), pass.begin(), pass.end());
    const std::vector<int16_t> last = RampStretch(7000, 9000);
    expected.insert(expected.end(), last.begin(), last.end());
    EXPECT_EQ(Left(), expected);
}

// Before Run the decoder's thread is held at the renderer: a seamless seek
// must not wait for it, or the start would never come.
TEST_F(MediaGraphTest, SeamlessSeekBeforeRunDoesNotWaitForPlayback) {
    Render(RampFile(kRate * 4));
    ASSERT_TRUE(graph_.SetTimeFormat(TimeFormat::kSample));
    ASSERT_TRUE(graph_.SetPositions(500, 0x31, 1500, seeking::kAbsolutePositioning));
    ASSERT_TRUE(graph_.Run());
    ASSERT_TRUE(events_.WaitFor(graph_, EC_END_OF_SEGMENT, kPlayTimeout));
    EXPECT_EQ(Left(), RampStretch(500, 1500));
}

// A looping button is placed at its start again when it completes; the
// seamless flag cannot apply to a renderer that has ended.
TEST_F(MediaGraphTest, SeamlessSeekAfterTheEndPlaysAgain) {
    Render(RampFile(3000));
    ASSERT_TRUE(graph_.SetTimeFormat(TimeFormat::kSample));
    PlayToEnd();
    ASSERT_TRUE(graph_.SetPositions(1000, 0x31, 2000, seeking::kAbsolutePositioning));
    ASSERT_TRUE(events_.WaitFor(graph_, EC_END_OF_SEGMENT, kPlayTimeout));
    std::vector<int16_t> expected = RampStretch(0, 3000);
    const std::vector<int16_t> again = RampStretch(1000, 2000);
    expected.insert(expected.end(), again.begin(), again.end());
    EXPECT_EQ(Left(), expected);
}

TEST_F(MediaGraphTest, SetPositionsRefusesWhatItCannotDo) {
    EXPECT_FALSE(graph_.SetPositions(0, seeking::kAbsolutePositioning, 0, 0));  // nothing rendered
    Render(RampFile(5000));
    EXPECT_FALSE(graph_.SetPositions(0, 0x02, 100, seeking::kAbsolutePositioning));  // relative
    EXPECT_FALSE(graph_.SetPositions(-1, seeking::kAbsolutePositioning, 100, 1));
    EXPECT_FALSE(graph_.SetPositions(2000, seeking::kAbsolutePositioning, 1000,
                                     seeking::kAbsolutePositioning));
}

struct LevelCase {
    long volume;
    long balance;
    double leftGain;
    double rightGain;
};

class MediaGraphLevelTest : public MediaGraphTest,
                            public ::testing::WithParamInterface<LevelCase> {};

TEST_P(MediaGraphLevelTest, VolumeAndBalanceInHundredthsOfADecibel) {
    const LevelCase c = GetParam();
    const std::string path = dir_.File("level.wav");
    ASSERT_TRUE(testing::WriteWav(path, 2, kRate, 4000, [](int, int) { return int16_t{20000}; }));
    Render(path);
    ASSERT_TRUE(graph_.PutVolume(c.volume));
    ASSERT_TRUE(graph_.PutBalance(c.balance));
    ASSERT_TRUE(graph_.Run());
    ASSERT_TRUE(events_.WaitFor(graph_, EC_COMPLETE, kPlayTimeout));
    const std::vector<int16_t> all = collector_->Samples();
    ASSERT_GE(all.size(), 2000u);
    // One sample from the middle: each side's gain against the file's 20000.
    EXPECT_NEAR(all[2000] / 20000.0, c.leftGain, 0.002);
    EXPECT_NEAR(all[2001] / 20000.0, c.rightGain, 0.002);
}

INSTANTIATE_TEST_SUITE_P(Levels, MediaGraphLevelTest,
                         ::testing::Values(LevelCase{0, 0, 1.0, 1.0},         // full level, centre
                                           LevelCase{-2000, 0, 0.1, 0.1},     // -20 dB
                                           LevelCase{-600, 0, 0.501, 0.501},  // -6 dB
                                           LevelCase{-10000, 0, 0.0, 0.0},  // silence, not -100 dB
                                           LevelCase{-30000, 0, 0.0, 0.0},  // clamped to silence
                                           LevelCase{500, 0, 1.0, 1.0},     // clamped to full
                                           LevelCase{0, 2000, 0.1, 1.0},    // left 20 dB down
                                           LevelCase{0, -2000, 1.0, 0.1},   // right 20 dB down
                                           LevelCase{0, 10000, 0.0, 1.0},   // left silent
                                           LevelCase{0, -10000, 1.0, 0.0},  // right silent
                                           LevelCase{-2000, -600, 0.1, 0.0501}));  // both at once

TEST_F(MediaGraphTest, LevelsSetBeforeRenderingApplyToTheFile) {
    ASSERT_TRUE(graph_.PutVolume(-2000));
    const std::string path = dir_.File("level.wav");
    ASSERT_TRUE(testing::WriteWav(path, 2, kRate, 4000, [](int, int) { return int16_t{20000}; }));
    Render(path);
    EXPECT_EQ(graph_.GetVolume(), -2000);
    const std::vector<int16_t> left = PlayToEnd();
    ASSERT_GT(left.size(), 1000u);
    EXPECT_NEAR(left[1000], 2000, 20);  // -20 dB, within dither
}

TEST_F(MediaGraphTest, RateIsAppliedToPlaybackAndRefusedWhenNotPositive) {
    Render(RampFile(8000));
    EXPECT_FALSE(graph_.SetRate(0.0));
    EXPECT_FALSE(graph_.SetRate(-1.0));
    ASSERT_TRUE(graph_.SetRate(0.5));
    EXPECT_EQ(graph_.GetRate(), 0.5);
    PlayToEnd();
    EXPECT_EQ(collector_->SegmentRate(), 0.5);
}

TEST_F(MediaGraphTest, RunPauseStopReportTheirState) {
    Render(RampFile(kRate * 10));
    ASSERT_TRUE(graph_.Run());
    EXPECT_EQ(graph_.GetState(), GraphState::kRunning);
    ASSERT_TRUE(graph_.Pause());
    EXPECT_EQ(graph_.GetState(), GraphState::kPaused);
    ASSERT_TRUE(graph_.Stop());
    EXPECT_EQ(graph_.GetState(), GraphState::kStopped);
}

// ---- no steps, no cuts ----------------------------------------------------

// The largest move between two samples of the left channel, silence after
// the last one counted: a stop that cuts shows as a move to zero.
int LargestStep(const std::vector<int16_t>& interleaved) {
    int largest = 0;
    int previous = 0;
    for (size_t i = 0; i <= interleaved.size(); i += 2) {
        const int value = i < interleaved.size() ? interleaved[i] : 0;
        largest = std::max(largest, std::abs(value - previous));
        previous = value;
    }
    return largest;
}

class MediaGraphRealTime : public MediaGraphTest {
protected:
    // `path` into a collector that takes the sound at the pace of a card.
    void RenderPaced(const std::string& path) {
        collector_ = std::make_unique<SampleCollector>(kRate, 2, true);
        ASSERT_TRUE(graph_.AddRenderer(collector_->Renderer()));
        ASSERT_TRUE(graph_.RenderFile(path));
    }
    std::string SteadyFile(int16_t value) {
        const std::string path = dir_.File("steady.wav");
        EXPECT_TRUE(
            testing::WriteWav(path, 2, kRate, kRate * 3, [value](int, int) { return value; }));
        return path;
    }
    std::string SineFile() {
        const std::string path = dir_.File("sine.wav");
        EXPECT_TRUE(testing::WriteWav(path, 2, kRate, kRate * 3, testing::Tone(440.0, 0.9, kRate)));
        return path;
    }
};

// A fade as run control makes it: a level step every 10 ms. Each step is
// ramped until the next, so the sound moves smoothly; stepped once per
// buffer it would jump by up to an eighth of full scale.
TEST_F(MediaGraphRealTime, AFadeSteppedEveryTenMillisecondsIsOneSmoothRamp) {
    RenderPaced(SteadyFile(16384));
    ASSERT_TRUE(graph_.Run());
    std::this_thread::sleep_for(100ms);
    for (long level = -250; level >= -5000; level -= 250) {
        ASSERT_TRUE(graph_.PutVolume(level));
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(150ms);
    const std::vector<int16_t> all = collector_->Samples();
    ASSERT_TRUE(graph_.Stop());
    graph_.RemoveAll();
    ASSERT_GT(all.size(), 2u * kRate / 4);
    int largest = 0;
    for (size_t i = 2; i < all.size(); i += 2) {
        largest = std::max(largest, std::abs(all[i] - all[i - 2]));
    }
    EXPECT_LT(largest, 64) << "a 16384 steady sound fades without a step";
    EXPECT_NEAR(all[all.size() - 2], 16384 * 0.00316, 4) << "and reaches -50 dB";
}

// A stop or pause fades out before it halts the graph, and returns before
// that; a graph run again fades in.
TEST_F(MediaGraphRealTime, StopAndPauseFadeOutWithoutHoldingTheCaller) {
    enum class Action { kStop, kStopAndRemove, kPauseAndRun };
    for (const Action action : {Action::kStop, Action::kStopAndRemove, Action::kPauseAndRun}) {
        SCOPED_TRACE(static_cast<int>(action));
        RenderPaced(SineFile());
        ASSERT_TRUE(graph_.Run());
        std::this_thread::sleep_for(200ms);
        ASSERT_TRUE(action == Action::kPauseAndRun ? graph_.Pause() : graph_.Stop());
        EXPECT_TRUE(graph_.FadingOut()) << "the halt waits for the fade, not the caller";
        EXPECT_NE(graph_.GetState(), GraphState::kRunning);
        if (action == Action::kStopAndRemove) {
            graph_.RemoveAll();
        } else {
            std::this_thread::sleep_for(300ms);
            EXPECT_FALSE(graph_.FadingOut());
        }
        if (action == Action::kPauseAndRun) {
            ASSERT_TRUE(graph_.Run());
            std::this_thread::sleep_for(200ms);
            ASSERT_TRUE(graph_.Stop());
            std::this_thread::sleep_for(300ms);
        }
        const std::vector<int16_t> all = collector_->Samples();
        ASSERT_GT(all.size(), 2u * kRate / 10);
        // The sine moves by 0.9 * 2 pi * 440 / 44100 of full scale at most.
        EXPECT_LT(LargestStep(all), 1850);
        graph_.RemoveAll();
    }
}

TEST_F(MediaGraphTest, RemoveAllEmptiesTheGraphAndDropsPendingEvents) {
    Render(RampFile(2000));
    ASSERT_TRUE(graph_.Run());
    ASSERT_TRUE(events_.WaitFor(graph_, EC_COMPLETE, kPlayTimeout));
    ASSERT_TRUE(graph_.SetPositions(0, seeking::kAbsolutePositioning, 0, 0));
    ASSERT_TRUE(graph_.PutVolume(-3000));
    // The second end is queued but never fetched before the graph is cleared.
    const size_t before = events_.NotifiedButtons().size();
    for (int i = 0; i < 500 && events_.NotifiedButtons().size() == before; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    graph_.RemoveAll();

    MediaEvent stale;
    EXPECT_FALSE(graph_.GetEvent(stale));
    EXPECT_FALSE(graph_.IsRendererConnected());
    EXPECT_FALSE(graph_.Run());
    EXPECT_EQ(graph_.GetVolume(), kVolumeFull);
    EXPECT_EQ(graph_.GetRate(), 1.0);
}

TEST_F(MediaGraphTest, ASecondFileReplacesTheFirstOnTheSameRenderer) {
    Render(RampFile(20000));
    ASSERT_TRUE(graph_.PutVolume(-2000));
    const std::string second = dir_.File("second.wav");
    ASSERT_TRUE(testing::WriteWav(second, 2, kRate, 3000,
                                  [](int f, int) { return static_cast<int16_t>(f); }));
    ASSERT_TRUE(graph_.RenderFile(second));
    EXPECT_TRUE(graph_.IsRendererConnected());
    EXPECT_EQ(graph_.GetVolume(), -2000);
    ASSERT_TRUE(graph_.PutVolume(0));
    EXPECT_EQ(PlayToEnd(), RampStretch(0, 3000));
}

// A button whose output row names no card plays on the system's default.
TEST_F(MediaGraphTest, WithoutAChosenRendererPlaysOnTheDefaultOutput) {
    const std::string path = dir_.File("short.wav");
    ASSERT_TRUE(testing::WriteWav(path, 2, kRate, kRate / 10, testing::Tone(440, 0.1, kRate)));
    ASSERT_TRUE(graph_.RenderFile(path));
    EXPECT_TRUE(graph_.IsRendererConnected());
    ASSERT_TRUE(graph_.Run());
    EXPECT_TRUE(events_.WaitFor(graph_, EC_COMPLETE, kPlayTimeout));
}

TEST_F(MediaGraphTest, TakesOneRendererAtATime) {
    SampleCollector first(kRate, 2);
    SampleCollector second(kRate, 2);
    EXPECT_TRUE(graph_.AddRenderer(first.Renderer()));
    EXPECT_FALSE(graph_.AddRenderer(second.Renderer()));
    EXPECT_FALSE(graph_.AddRenderer(nullptr));
}

TEST_F(MediaGraphTest, PlaysTheSoundOfAVideoFile) {
    const std::string path = dir_.File("clip.ogg");
    ASSERT_TRUE(testing::WriteMediaFile(
        path,
        "videotestsrc num-buffers=10 ! video/x-raw,width=64,height=48,framerate=25/1 ! "
        "theoraenc ! oggmux name=mux audiotestsrc num-buffers=20 ! audioconvert ! vorbisenc ! "
        "mux. mux."));
    Render(path);
    EXPECT_GT(PlayToEnd().size(), 10000u);
}

// Files that cannot be played fail to render and leave an empty graph with
// no streaming thread behind.
struct BadFile {
    const char* name;
    std::string (*make)(const testing::TempDir& dir);
};

class MediaGraphBadFileTest : public MediaGraphTest,
                              public ::testing::WithParamInterface<BadFile> {};

TEST_P(MediaGraphBadFileTest, RenderFileFailsCleanly) {
    const std::string path = GetParam().make(dir_);
    int threadsBefore = 0;
    constexpr int kAttempts = 12;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        SampleCollector collector(kRate, 2);
        ASSERT_TRUE(graph_.AddRenderer(collector.Renderer()));
        EXPECT_FALSE(graph_.RenderFile(path));
        EXPECT_FALSE(graph_.IsRendererConnected());
        EXPECT_FALSE(graph_.Run());
        MediaEvent event;
        EXPECT_FALSE(graph_.GetEvent(event));
        // The graph is empty again: a new renderer is accepted.
        ASSERT_TRUE(graph_.AddRenderer(SampleCollector(kRate, 2).Renderer()));
        graph_.RemoveAll();
        if (attempt == 0) {
            threadsBefore = testing::CountThreads();  // GStreamer's own threads have started
        }
    }
    // GStreamer keeps a few idle pool threads (three seen on a loaded
    // machine under ASan); a streaming thread left behind by each attempt
    // would show as eleven more.
    EXPECT_LE(testing::SettledThreadCount(threadsBefore + 4), threadsBefore + 4);
}

std::string TruncatedWav(const testing::TempDir& dir) {
    const std::string whole = dir.File("whole.wav");
    testing::WriteWav(whole, 2, kRate, 1000, testing::Ramp);
    std::ifstream in(whole, std::ios::binary);
    std::string bytes(30, '\0');
    in.read(bytes.data(), 30);
    return dir.Write("truncated.wav", bytes);
}

std::string VideoOnly(const testing::TempDir& dir) {
    const std::string path = dir.File("picture.ogg");
    testing::WriteMediaFile(path, "videotestsrc num-buffers=5 ! theoraenc ! oggmux");
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MediaGraphBadFileTest,
    ::testing::Values(
        BadFile{"Missing", [](const testing::TempDir& d) { return d.File("nothing.wav"); }},
        BadFile{"Empty", [](const testing::TempDir& d) { return d.Write("empty.wav", ""); }},
        BadFile{
            "Text",
            [](const testing::TempDir& d) { return d.Write("notes.wav", std::string(4000, 'x')); }},
        BadFile{"HeaderCutShort", TruncatedWav},
        BadFile{"Folder", [](const testing::TempDir& d) { return d.Path(); }},
        BadFile{"NoSound", VideoOnly}),
    [](const auto& info) { return std::string(info.param.name); });

// 336 graphs live for the whole run: idle, they must cost neither threads
// nor file descriptors.
TEST(MediaGraphIdle, ThreeHundredThirtySixGraphsHoldNoDescriptorsOrThreads) {
    ASSERT_TRUE(EnsureGStreamer());
    const int files = testing::CountOpenFiles();
    const int threads = testing::CountThreads();
    std::vector<std::unique_ptr<MediaGraph>> graphs;
    for (int button = 0; button < 336; ++button) {
        graphs.push_back(std::make_unique<MediaGraph>(button, nullptr));
    }
    EXPECT_LE(testing::CountOpenFiles(), files + 2);
    EXPECT_LE(testing::SettledThreadCount(threads), threads);
}

}  // namespace
}  // namespace tamberline
