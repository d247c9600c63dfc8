#include "playback/engine_outputs.h"

#include <algorithm>

#include "base/message_box.h"
#include "playback/sound/sound_system.h"
#include "session/registry.h"

namespace tamberline {

namespace {

// Names compare without regard to case, so this is also "ASIOindex".
constexpr int kPairs = kSpeakerCount / 2;

}  // namespace

uint32_t ReadAsioIndex(const Registry& registry) {
    uint32_t index = 0;
    registry.GetDword(settings::kAsioIndex, index);
    return index;
}

void WriteAsioIndex(Registry& registry, uint32_t index) {
    registry.SetDword(settings::kAsioIndex, index);
}

std::vector<std::string> EngineDriverNames(AudioBackend& backend) {
    std::vector<std::string> names;
    int count = 0;
    if (backend.DriverCount(count) != SoundResult::kOk) {
        return names;
    }
    for (int i = 0; i < count; ++i) {
        std::string name;
        if (backend.DriverName(i, name) == SoundResult::kOk) {
            names.push_back(name);
        } else {
            names.push_back({});
        }
    }
    return names;
}

SoundOutputBuilder::SoundOutputBuilder(Registry& registry, MessageBox& messages,
                                       BackendFactory backends)
    : registry_(registry), messages_(messages), backends_(std::move(backends)) {}

SoundOutputBuilder::~SoundOutputBuilder() = default;

void SoundOutputBuilder::ReleaseEngine() {
    if (engine_) {
        engine_->Close();
        engine_.reset();
    }
}

bool SoundOutputBuilder::EngineLost() const {
    return engine_ && engine_->Update() == SoundResult::kErrOutputLost;
}

bool SoundOutputBuilder::DriverListed() const {
    if (driverName_.empty()) {
        return false;
    }
    const std::unique_ptr<AudioBackend> backend = backends_();
    const std::vector<std::string> names = EngineDriverNames(*backend);
    return std::find(names.begin(), names.end(), driverName_) != names.end();
}

void SoundOutputBuilder::AddEngineOutputs(OutputTable& table, const HeaderMessageFn& header) {
    ReleaseEngine();
    table.asioActive = false;
    const uint32_t index = ReadAsioIndex(registry_);
    if (index == 0) {
        return;
    }
    if (header) {
        header(" Loading ASIO ");
    }
    engine_ = std::make_unique<SoundSystem>();
    int drivers = 0;
    if (engine_->SetOutputBackend(backends_()) != SoundResult::kOk ||
        engine_->GetNumDrivers(drivers) != SoundResult::kOk || drivers < 1) {
        WriteAsioIndex(registry_, 0);
        ReleaseEngine();
        messages_.Show("No ASIO drivers found.\nCheck the hardware installation.",
                       mb::kOk | mb::kIconExclamation);
        return;
    }
    if (engine_->SetSpeakerMode(SpeakerMode::kSevenPointOne) != SoundResult::kOk ||
        index > static_cast<uint32_t>(drivers) ||
        engine_->SetDriver(static_cast<int>(index) - 1) != SoundResult::kOk ||
        engine_->Init(kEngineChannels) != SoundResult::kOk) {
        ReleaseEngine();
        const int answer = messages_.Show("ASIO driver failed to start.\n",
                                          mb::kDropAsioContinue | mb::kIconStop | mb::kDefault2);
        if (answer == kResultOk) {  // "Drop ASIO"
            WriteAsioIndex(registry_, 0);
        }
        return;
    }
    engine_->GetDriverName(static_cast<int>(index) - 1, driverName_);
    std::vector<OutputEntry> pairs;
    for (int p = 0; p < kPairs; ++p) {
        OutputEntry entry;
        entry.deviceName = "ASIO " + std::to_string(2 * p + 1) + "+" + std::to_string(2 * p + 2);
        entry.displayName = entry.deviceName;
        entry.onAudioEngine = true;
        entry.available = 2 * p + 2 <= engine_->OutputChannels();
        pairs.push_back(entry);
    }
    table.entries.insert(table.entries.begin(), pairs.begin(), pairs.end());
    if (table.entries.size() > static_cast<size_t>(kMaxOutputs)) {
        table.entries.resize(static_cast<size_t>(kMaxOutputs));
    }
    table.asioActive = true;
}

}  // namespace tamberline
