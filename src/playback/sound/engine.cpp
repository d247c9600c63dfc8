#include "playback/sound/engine.h"

namespace tamberline::sound {

namespace {
// Enough rounds for a cut read-ahead to be answered and decoded again.
constexpr int kDecodeRounds = 8;
}  // namespace

Engine::Engine(int voiceCount)
    : rings_(std::make_unique<VoiceRing[]>(static_cast<size_t>(voiceCount))),
      mixer_(rings_.get(), voiceCount),
      streamer_(rings_.get(), voiceCount) {}

void Engine::Process(float* out, int channels, int frames) noexcept {
    mixer_.Process(out, channels, frames);
}

void Engine::Decode() {
    for (int round = 0; round < kDecodeRounds; ++round) {
        streamer_.Pump();
        if (!streamer_.WaitingForMixer()) {
            return;
        }
        mixer_.Service();
    }
}

}  // namespace tamberline::sound
