#pragma once

#include "playback/sound/audio_backend.h"

namespace tamberline {

// A device that plays nothing by itself: Render asks for the next frames as
// the device would have played them. Decoding happens on the caller's
// thread first, so the result is the same every time (sample-exact tests,
// benchmarks, measuring lengths).
class OfflineBackend final : public AudioBackend {
public:
    explicit OfflineBackend(int sampleRate = 48000, int periodFrames = 256);

    SoundResult DriverCount(int& count) override;
    SoundResult DriverName(int index, std::string& name) override;
    SoundResult Open(int index, int channels, AudioSink& sink, BackendFormat& format) override;
    SoundResult Start() override;
    bool Close() override;
    bool Realtime() const override { return false; }
    bool Lost() override { return false; }

    // Renders `frames` frames into `out` (Channels() interleaved floats),
    // one period at a time: decode, then mix. False when not started.
    bool Render(float* out, int frames);
    // The two halves of Render, for measuring them apart.
    bool Decode();
    bool Mix(float* out, int frames);

    int Channels() const { return channels_; }

private:
    int sampleRate_;
    int periodFrames_;
    int channels_ = 0;
    AudioSink* sink_ = nullptr;
    bool started_ = false;
};

}  // namespace tamberline
