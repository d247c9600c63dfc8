#include "playback/media_graphs_part.h"

#include "playback/graph/media_graph.h"
#include "playback/run_controller.h"
#include "session/button_record.h"

namespace tamberline {

MediaGraphsPart::MediaGraphsPart(RunController& run) : run_(run) {}

MediaGraphsPart::~MediaGraphsPart() = default;

bool MediaGraphsPart::Start(StartStep step) {
    if (step != StartStep::kMediaGraphs) {
        return true;
    }
    graphs_.reserve(kButtonCount);
    std::vector<MediaGraph*> graphs;
    for (int button = 0; button < kButtonCount; ++button) {
        graphs_.push_back(std::make_unique<MediaGraph>(button, &run_));
        graphs.push_back(graphs_.back().get());
    }
    run_.SetGraphs(std::move(graphs));
    return true;
}

void MediaGraphsPart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kMediaGraphs) {
        graphs_.clear();
    }
}

}  // namespace tamberline
