#pragma once

#include <string>
#include <vector>

#include "base/console_part.h"
#include "playback/engine_outputs.h"
#include "playback/graph/audio_sinks.h"
#include "playback/graph/output_list.h"
#include "playback/output_table.h"

namespace tamberline {

class MessageBox;
class Registry;
class RunController;

// The outputs: the audio engine's pairs and the sound cards, built at
// start-up and again when the engine's driver changes; the engine is
// released at teardown. Run control gets each new set.
class OutputsPart final : public ConsolePart {
public:
    OutputsPart(Registry& registry, MessageBox& box, HeaderMessageFn header, RunController& run);

    bool Start(StartStep step) override;
    void Teardown(TeardownStep step) override;
    // A lost engine device is started afresh.
    void HardwareCheck() override;

    // Builds the outputs afresh; run control lets go of the old engine first.
    void Build();
    // The engine's drivers, in the order the "ASIO" choice counts them.
    std::vector<std::string> EngineDrivers() const;
    bool built() const { return built_; }
    const OutputTable& table() const { return table_; }
    const OutputList& list() const { return list_; }
    AudioSinkCatalog& catalog() { return catalog_; }
    // Gives a sound card another name; see RenameOutput.
    std::vector<int> Rename(int index, const std::string& name);

private:
    Registry& registry_;
    MessageBox& box_;
    HeaderMessageFn header_;
    RunController& run_;
    SoundOutputBuilder engine_;
    DeviceMonitorCatalog catalog_;
    OutputTable table_;
    OutputList list_;
    bool built_ = false;
};

}  // namespace tamberline
