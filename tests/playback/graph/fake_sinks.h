#pragma once

#include <set>
#include <string>
#include <vector>

#include "playback/graph/audio_sinks.h"
#include "playback/output_table.h"

namespace tamberline::testing {

// Sound cards that exist only in the test: each renders into a fake sink, and
// a "dead" one refuses to start, as a card that cannot play would.
class FakeSinkCatalog final : public AudioSinkCatalog {
public:
    std::vector<AudioSinkDevice> devices;
    std::set<std::string> dead;
    std::vector<std::string> created;  // names asked for, in order

    std::vector<AudioSinkDevice> Enumerate() override { return devices; }
    GstElement* CreateRenderer(const std::string& friendlyName) override;
};

// The audio engine's half: four pairs, as a started driver gives.
class FakeEngineOutputs final : public EngineOutputBuilder {
public:
    void AddEngineOutputs(OutputTable& table, const HeaderMessageFn& header) override;
};

}  // namespace tamberline::testing
