#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tamberline {

inline constexpr int kMaxOutputs = 32;

// One output a button can play on: a channel pair of the audio engine's
// device ("ASIO 1+2" .. "ASIO 7+8") or a sound card played by a media graph.
struct OutputEntry {
    std::string deviceName;  // the device's friendly name, or "ASIO %d+%d"
    std::string displayName;
    bool onAudioEngine = false;
    // False for an engine pair the device lacks (fewer than eight outputs):
    // it keeps its row, because records store outputs by row, but nothing
    // plays on it and it is shown as not available.
    bool available = true;
};

// Engine pairs first, then sound cards in the order found; at most
// kMaxOutputs entries.
struct OutputTable {
    std::vector<OutputEntry> entries;
    bool asioActive = false;
};

// The header line of the console (" Loading ASIO ", " Loading <device> ").
using HeaderMessageFn = std::function<void(const std::string&)>;

// The audio engine's half of building the outputs: (re)creates the engine on
// the chosen driver and appends its four pairs to the table, telling the
// operator when that fails. Sets table.asioActive when the pairs are there.
class EngineOutputBuilder {
public:
    virtual ~EngineOutputBuilder() = default;
    virtual void AddEngineOutputs(OutputTable& table, const HeaderMessageFn& header) = 0;
};

}  // namespace tamberline
