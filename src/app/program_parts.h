#pragma once

#include <memory>
#include <vector>

#include "app/console_parts.h"
#include "playback/graph/audio_sinks.h"
#include "playback/graph/media_event.h"
#include "playback/graph/output_list.h"
#include "playback/output_table.h"

namespace tamberline {

class MediaGraph;
class MessageBox;
class Registry;

// The parts of the running program behind the console: the media library,
// one media graph per button, and the outputs. Parts not built yet keep the
// do-nothing steps of ConsoleParts.
class ProgramParts final : public ConsoleParts {
public:
    ProgramParts(Registry& registry, MessageBox& box, HeaderMessageFn header);
    ~ProgramParts() override;

    bool InitialiseMediaLibrary() override;
    bool MediaFrameworkPresent() override;
    void CreateMediaGraphs() override;
    void BuildOutputs() override;
    int NextRunningGraphButton(int from) override;
    void ReleaseMediaGraphs() override;

    // The audio engine's pairs come first in the outputs once it is there.
    void SetEngineOutputBuilder(EngineOutputBuilder* engine) { engine_ = engine; }
    bool outputsBuilt() const { return outputsBuilt_; }
    const OutputTable& outputTable() const { return table_; }
    const OutputList& outputList() const { return list_; }

private:
    Registry& registry_;
    MessageBox& box_;
    HeaderMessageFn header_;
    EngineOutputBuilder* engine_ = nullptr;
    DeviceMonitorCatalog catalog_;
    OutputTable table_;
    OutputList list_;
    bool outputsBuilt_ = false;
    std::vector<std::unique_ptr<MediaGraph>> graphs_;
};

}  // namespace tamberline
