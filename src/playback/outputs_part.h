#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/console_part.h"
#include "playback/engine_outputs.h"
#include "playback/engine_return_watch.h"
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
//
// An engine whose device went away stays lost until its driver is listed
// again; the hardware check then builds the outputs afresh. A JACK server
// that comes back is noticed here and reported through `deviceChanged`
// (the console's device notice, which runs the hardware check).
class OutputsPart final : public ConsolePart {
public:
    OutputsPart(Registry& registry, MessageBox& box, HeaderMessageFn header, RunController& run,
                std::function<void()> deviceChanged = {});

    bool Start(StartStep step) override;
    void Teardown(TeardownStep step) override;
    void Tick(const TickState& state) override;
    // A lost engine whose driver is back is started afresh.
    void HardwareCheck() override;

    // Builds the outputs afresh; run control lets go of the old engine first.
    void Build();
    // The engine's drivers, in the order the "ASIO" choice counts them.
    std::vector<std::string> EngineDrivers() const;
    bool built() const { return built_; }
    const OutputTable& table() const { return table_; }
    const OutputList& list() const { return list_; }

private:
    Registry& registry_;
    MessageBox& box_;
    HeaderMessageFn header_;
    RunController& run_;
    std::function<void()> deviceChanged_;
    SoundOutputBuilder engine_;
    EngineReturnWatch returnWatch_;
    DeviceMonitorCatalog catalog_;
    OutputTable table_;
    OutputList list_;
    bool built_ = false;
};

}  // namespace tamberline
