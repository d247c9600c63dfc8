#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "../songlist/wav_builder.h"
#include "graph/fake_sinks.h"
#include "graph/media_fixtures.h"
#include "playback/graph/media_graph.h"
#include "run_fixture.h"

namespace tamberline::testing {
namespace {

using namespace std::chrono_literals;

// A sound card whose renderer keeps what it plays.
class CollectingCatalog final : public AudioSinkCatalog {
public:
    std::vector<AudioSinkDevice> Enumerate() override { return {{"Card", true, false}}; }
    GstElement* CreateRenderer(const std::string&) override {
        collector = std::make_unique<SampleCollector>(48000, 2);
        return collector->Renderer();
    }
    std::unique_ptr<SampleCollector> collector;
};

// Run control with the graphs of buttons 0..3 on the sound card "Card",
// output row 4 (after the engine's four pairs).
class RunGraph : public RunFixture {
protected:
    void SetUp() override {
        RunFixture::SetUp();
        services_.host = &host_;
        services_.runLog = log_.get();
        services_.catalog = &catalog_;
        runner_ = std::make_unique<ButtonRunner>(*control_, services_);
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
        for (int b = 0; b < 4; ++b) {
            graphs_.push_back(std::make_unique<MediaGraph>(b, &events_));
            graphs.push_back(graphs_.back().get());
        }
        runner_->SetGraphs(graphs);
    }
    void TearDown() override {
        RunFixture::TearDown();
        graphs_.clear();
    }

    // Hands the graph's events to run control until the button is idle.
    bool RunUntilIdle(int button, std::chrono::milliseconds timeout = 5s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            runner_->OnMediaEvent(button);
            if (!runner_->State(button).running && !runner_->State(button).paused) {
                return true;
            }
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    RunServices services_;
    CollectingCatalog catalog_;
    EventWaiter events_;
    std::vector<std::unique_ptr<MediaGraph>> graphs_;
};

TEST_F(RunGraph, PlaysOnTheCardToTheEndThenFreesTheGraph) {
    const std::string path = WriteWav16(dir_, "a.wav", 2, 48000, 24000, Marker);
    Load(1, Record(path, 4));
    runner_->StartButton(1);
    ASSERT_TRUE(runner_->State(1).running);
    EXPECT_TRUE(runner_->State(1).onMediaGraph);
    EXPECT_EQ(runner_->Record(1).durationMs, 1000u);
    ASSERT_TRUE(RunUntilIdle(1));
    EXPECT_FALSE(runner_->State(1).onMediaGraph);
    EXPECT_FALSE(graphs_[1]->IsRendererConnected());
    EXPECT_GE(catalog_.collector->Samples().size(), 24000u * 2);
}

TEST_F(RunGraph, SegmentsRepeatAndTheStreamCompletesAfterTheLastPass) {
    std::string samples;
    for (uint32_t f = 0; f < 9600; ++f) {
        samples +=
            Le16(static_cast<uint16_t>(Marker(f, 0))) + Le16(static_cast<uint16_t>(Marker(f, 1)));
    }
    const std::string path = dir_.Write(
        "seg.wav",
        Riff(Chunk("fmt ", FmtBody(1, 2, 48000, 16)) + Chunk("cue ", CueBody({{1, 0}, {2, 4800}})) +
             Chunk("plst", PlstBody({{1, 4800, 3}, {2, 4800, 1}})) + Chunk("data", samples)));
    Load(2, Record(path, 4));
    runner_->StartButton(2);
    ASSERT_TRUE(runner_->State(2).running);
    ASSERT_TRUE(RunUntilIdle(2));
    const std::vector<int16_t> out = catalog_.collector->Samples();
    ASSERT_EQ(out.size(), 4u * 4800 * 2);
    for (size_t f = 0; f < 4 * 4800; ++f) {
        const int64_t source =
            f < 3 * 4800 ? static_cast<int64_t>(f % 4800) : static_cast<int64_t>(f) - 2 * 4800;
        ASSERT_EQ(out[2 * f], Marker(source, 0)) << f;
    }
}

}  // namespace
}  // namespace tamberline::testing
