#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../songlist/wav_builder.h"
#include "playback/sound/sound_system.h"
#include "run_fixture.h"

namespace tamberline::testing {
namespace {

// A mono 16-bit file of `frames` marker samples with a play list.
std::string SegmentedFile(const TempDir& dir, uint32_t frames, const std::vector<CuePoint>& cues,
                          const std::vector<PlstEntry>& plst) {
    std::string samples;
    for (uint32_t f = 0; f < frames; ++f) {
        samples += Le16(static_cast<uint16_t>(Marker(f, 0)));
    }
    return dir.Write("segments.wav",
                     Riff(Chunk("fmt ", FmtBody(1, 1, 48000, 16)) + Chunk("cue ", CueBody(cues)) +
                          Chunk("plst", PlstBody(plst)) + Chunk("data", samples)));
}

// The source frame each output frame came from (-1 for silence); speaker 0
// carries the file at full level with pan 0.
std::vector<int64_t> SourceFrames(const std::vector<float>& out) {
    std::vector<int64_t> frames;
    for (float v : out) {
        const int marker = static_cast<int>(std::lround(v * 32768.0f));
        frames.push_back(marker == 0 ? -1 : marker - 1);
    }
    return frames;
}

class RunSegments : public RunFixture {
protected:
    ButtonRecord Segmented(const std::string& path) {
        ButtonRecord record = Record(path);
        record.pan = 0;
        return record;
    }
};

TEST_F(RunSegments, SegmentsPlayTheirRepeatCountsSeamlesslyThenEnd) {
    const std::string path =
        SegmentedFile(dir_, 28800, {{1, 0}, {2, 14400}}, {{1, 14400, 2}, {2, 14400, 1}});
    Load(0, Segmented(path));
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    EXPECT_EQ(runner_->Record(0).hasSegments, 1);
    EXPECT_EQ(runner_->Record(0).durationMs, 1000u);  // 900 ms of passes, rounded
    const std::vector<int64_t> source = SourceFrames(Play(1500));
    for (size_t f = 256; f < 43200; ++f) {
        const int64_t expected =
            f < 14400 ? static_cast<int64_t>(f) : static_cast<int64_t>(f) - 14400;
        ASSERT_EQ(source[f], expected % 14400 + (f >= 28800 ? 14400 : 0)) << f;
    }
    for (size_t f = 43200; f < source.size(); ++f) {
        ASSERT_EQ(source[f], -1) << f;
    }
    EXPECT_FALSE(runner_->State(0).running);
    EXPECT_FALSE(runner_->State(0).onAudioEngine);
}

// The file is opened once, by the file work: the stretches queued while it
// plays open nothing, so they play on even once the file has gone.
TEST_F(RunSegments, SegmentsStreamFromTheFileOpenedWhenPrepared) {
    const std::string path =
        SegmentedFile(dir_, 28800, {{1, 0}, {2, 14400}}, {{1, 14400, 2}, {2, 14400, 1}});
    Load(0, Segmented(path));
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    const std::vector<int64_t> source = SourceFrames(Play(1500));
    for (size_t f = 28800; f < 43200; ++f) {
        ASSERT_EQ(source[f], static_cast<int64_t>(f) - 14400) << f;
    }
    EXPECT_FALSE(runner_->State(0).running);
}

TEST_F(RunSegments, ReleaseToEndLeavesTheLoopAndPlaysTheRest) {
    const std::string path =
        SegmentedFile(dir_, 28800, {{1, 0}, {2, 9600}}, {{1, 9600, 0}, {2, 9600, 1}});
    Load(0, Segmented(path));
    runner_->StartButton(0);
    std::vector<int64_t> source = SourceFrames(Play(600));
    EXPECT_TRUE(runner_->State(0).running);
    EXPECT_EQ(source[9600 * 2 + 5], 5) << "the open-ended segment repeats";
    runner_->SetReleaseToEnd(0);
    const std::vector<int64_t> rest = SourceFrames(Play(1500));
    source.insert(source.end(), rest.begin(), rest.end());
    EXPECT_FALSE(runner_->State(0).running);
    // The tail: 9600 .. 28799 in one piece right after a pass of the loop.
    const auto tail = std::find(source.begin() + 28800, source.end(), 9600);
    ASSERT_NE(tail, source.end());
    EXPECT_EQ(*(tail - 1), 9599);
    for (int64_t k = 0; k < 19200; ++k) {
        ASSERT_EQ(*(tail + k), 9600 + k) << k;
    }
    EXPECT_EQ(*(tail + 19200), -1);
}

TEST_F(RunSegments, OneSegmentPlayedOncePlaysOnceAndEnds) {
    const std::string path = SegmentedFile(dir_, 14400, {{1, 0}}, {{1, 9600, 1}});
    Load(0, Segmented(path));
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    const std::vector<int64_t> source = SourceFrames(Play(1500));
    for (size_t f = 256; f < 9600; ++f) {
        ASSERT_EQ(source[f], static_cast<int64_t>(f)) << f;
    }
    for (size_t f = 9600; f < source.size(); ++f) {
        ASSERT_EQ(source[f], -1) << f;
    }
    EXPECT_FALSE(runner_->State(0).running);
}

// Play-list segments are streamed raw only in formats read as they lie;
// a 64-bit float file plays whole through the decoder instead.
TEST_F(RunSegments, DoubleFloatFileWithPlayListPlaysWhole) {
    std::string samples;
    for (int f = 0; f < 14400; ++f) {
        const double value = 0.25;
        samples.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    const std::string path =
        dir_.Write("double.wav",
                   Riff(Chunk("fmt ", FmtBody(3, 1, 48000, 64)) + Chunk("cue ", CueBody({{1, 0}})) +
                        Chunk("plst", PlstBody({{1, 4800, 2}})) + Chunk("data", samples)));
    Load(0, Segmented(path));
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    EXPECT_EQ(runner_->Record(0).hasSegments, 0);
    const std::vector<float> out = Speaker(Render(9600), 0);
    for (size_t f = 256; f < out.size(); ++f) {
        ASSERT_NEAR(out[f], 0.25f, 1e-4f) << f;
    }
}

TEST_F(RunSegments, SonglistPlaysEntriesInTurnSkippingAMissingOne) {
    MonoFile("one.wav", 48000);
    MonoFile("two.wav", 96000);
    const std::string list = dir_.Write("show.m3u", "one.wav\nmissing.wav\ntwo.wav\n");
    Load(4, Record(list));
    runner_->StartButton(4);
    ASSERT_TRUE(runner_->State(4).running);
    EXPECT_EQ(host_.songlistWarnings, 1);
    EXPECT_EQ(runner_->Record(4).durationMs, 3000u);
    EXPECT_EQ(runner_->State(4).songlist.size(), 2u);
    Play(1300);
    ASSERT_TRUE(runner_->State(4).running);
    EXPECT_EQ(runner_->State(4).songlist.size(), 1u);
    EXPECT_NE(LogText().find("\tone.wav\t"), std::string::npos);
    Play(2300);
    EXPECT_FALSE(runner_->State(4).running);
    EXPECT_NE(LogText().find("\ttwo.wav\t"), std::string::npos);
}

TEST_F(RunSegments, SonglistStartsWithTheFirstEntryThatPlays) {
    dir_.Write("broken.wav", std::string(4000, 'x'));
    MonoFile("two.wav", 96000);
    const std::string list = dir_.Write("show.m3u", "broken.wav\ntwo.wav\n");
    // Every entry measures as playable; the engine refuses the first at the start.
    RunServices services;
    services.host = &host_;
    services.mediaLength = [](const std::string&) { return 1000; };
    UseRunner(services);
    Load(4, Record(list));
    runner_->StartButton(4);
    ASSERT_TRUE(runner_->State(4).running);
    EXPECT_EQ(runner_->State(4).songlist.size(), 1u);
    EXPECT_TRUE(host_.asked.empty());
    EXPECT_EQ(runner_->State(4).runLog.fileName, dir_.File("two.wav"));
}

TEST_F(RunSegments, SonglistWithoutPlayableEntriesShowsNothing) {
    const std::string list = dir_.Write("empty.m3u", "gone.wav\nalso-gone.wav\n");
    Load(4, Record(list));
    runner_->StartButton(4);
    EXPECT_FALSE(runner_->State(4).running);
    EXPECT_TRUE(host_.box.shown().empty());
    EXPECT_TRUE(host_.asked.empty());
}

}  // namespace
}  // namespace tamberline::testing
