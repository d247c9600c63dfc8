#pragma once

#include <memory>

#include "playback/sound/audio_backend.h"
#include "playback/sound/mixer.h"
#include "playback/sound/streamer.h"
#include "playback/sound/voice_ring.h"

namespace tamberline::sound {

// The voices' rings with the two threads that share them: the streamer that
// decodes into them and the mixer that plays them.
class Engine final : public AudioSink {
public:
    explicit Engine(int voiceCount);

    VoiceRing& Ring(int voice) { return rings_[voice]; }
    Mixer& mixer() { return mixer_; }
    Streamer& streamer() { return streamer_; }

    void Process(float* out, int channels, int frames) noexcept override;
    void Decode() override;

private:
    std::unique_ptr<VoiceRing[]> rings_;
    Mixer mixer_;
    Streamer streamer_;
};

}  // namespace tamberline::sound
