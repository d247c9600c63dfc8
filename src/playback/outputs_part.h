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

    // GUI thread: the output rows the buttons now playing use.
    using PlayingRowsFn = std::function<std::vector<int>()>;
    void SetPlayingRows(PlayingRowsFn rows) { playingRows_ = std::move(rows); }
    // GUI thread: a note for the status line; empty clears it.
    void SetStatusNote(std::function<void(const std::string&)> note) { note_ = std::move(note); }

    bool Start(StartStep step) override;
    void Teardown(TeardownStep step) override;
    void Tick(const TickState& state) override;
    // A lost engine whose driver is listed again is started afresh.
    void HardwareCheck() override;
    // After devices came or went: the outputs whose device changed are
    // re-initialised, the others left as they play. While a button plays
    // on a changed output the change waits until it has stopped.
    void Refresh();
    bool refreshWaiting() const { return refreshWaiting_; }

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
    struct Plan {
        bool engine = false;    // the engine's device is lost
        bool cards = false;     // the sound cards differ
        std::vector<int> rows;  // output rows whose device changes
    };
    Plan PlanRefresh();
    bool AnyPlaysOn(const std::vector<int>& rows) const;
    void TryRefresh();
    void RebuildEngine();
    void RebuildSoundCards();

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
    PlayingRowsFn playingRows_;
    std::function<void(const std::string&)> note_;
    bool refreshWaiting_ = false;
    bool engineWaiting_ = false;
    int ticksToRetry_ = 0;
};

}  // namespace tamberline
