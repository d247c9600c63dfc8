#pragma once

#include <memory>
#include <vector>

#include "app/console_parts.h"
#include "playback/graph/audio_sinks.h"
#include "playback/graph/media_event.h"
#include "playback/graph/output_list.h"
#include "playback/output_table.h"
#include "playback/sound/sound_outputs.h"

namespace tamberline {

class ConsoleRunControl;
class MediaGraph;
class MessageBox;
class Registry;

// The parts of the running program behind the console: the media library,
// one media graph per button, and the outputs. Parts not built yet keep the
// do-nothing steps of ConsoleParts.
class ProgramParts final : public ConsoleParts {
public:
    // `run` may be null: nothing plays.
    ProgramParts(Registry& registry, MessageBox& box, HeaderMessageFn header,
                 ConsoleRunControl* run = nullptr);
    ~ProgramParts() override;

    bool InitialiseMediaLibrary() override;
    bool MediaFrameworkPresent() override;
    void CreateMediaGraphs() override;
    void BuildOutputs() override;
    void StartStartWorker() override;
    int NextRunningGraphButton(int from) override;
    void StopAll() override;
    void StopStartWorker() override;
    void ReleaseMediaGraphs() override;
    void ReleaseAudioEngine() override { engine_.ReleaseEngine(); }

    // The engine's drivers, in the order the "ASIO" choice counts them.
    std::vector<std::string> EngineDrivers() const;
    SoundSystem* Engine() const { return engine_.Engine(); }
    bool outputsBuilt() const { return outputsBuilt_; }
    const OutputTable& outputTable() const { return table_; }
    const OutputList& outputList() const { return list_; }

private:
    Registry& registry_;
    MessageBox& box_;
    HeaderMessageFn header_;
    ConsoleRunControl* run_;
    SoundOutputBuilder engine_;
    DeviceMonitorCatalog catalog_;
    OutputTable table_;
    OutputList list_;
    bool outputsBuilt_ = false;
    std::vector<std::unique_ptr<MediaGraph>> graphs_;
};

}  // namespace tamberline
