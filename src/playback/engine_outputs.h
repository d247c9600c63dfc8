#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/output_table.h"
#include "playback/sound/audio_backend.h"

namespace tamberline {

class MessageBox;
class Registry;
class SoundSystem;

using BackendFactory = std::function<std::unique_ptr<AudioBackend>()>;

// The chosen "ASIO driver": 0 for none, k for the k-th driver (1-based).
uint32_t ReadAsioIndex(const Registry& registry);
void WriteAsioIndex(Registry& registry, uint32_t index);

// The drivers a backend offers, in the order SetDriver counts them.
std::vector<std::string> EngineDriverNames(AudioBackend& backend);

// The audio engine's part of building the outputs: (re)creates the engine
// on the chosen driver with eight speakers and 336 channels, and puts the
// pairs "ASIO 1+2" .. "ASIO 7+8" first in the table; pairs past the
// device's outputs are there but not available. The engine lives here
// until the next build or ReleaseEngine.
class SoundOutputBuilder final : public EngineOutputBuilder {
public:
    static constexpr int kEngineChannels = 336;

    SoundOutputBuilder(Registry& registry, MessageBox& messages, BackendFactory backends);
    ~SoundOutputBuilder() override;

    void AddEngineOutputs(OutputTable& table, const HeaderMessageFn& header) override;

    // The engine while it runs on a driver, else null.
    SoundSystem* Engine() const { return engine_.get(); }
    // Its device went away (a JACK server quit, a card was unplugged):
    // building the outputs again starts it afresh once the device is back.
    bool EngineLost() const;
    // The driver the engine last started on, empty before.
    const std::string& DriverName() const { return driverName_; }
    // That driver is listed again (a lost device is back).
    bool DriverListed() const;
    void ReleaseEngine();

private:
    Registry& registry_;
    MessageBox& messages_;
    BackendFactory backends_;
    std::unique_ptr<SoundSystem> engine_;
    std::string driverName_;
};

}  // namespace tamberline
