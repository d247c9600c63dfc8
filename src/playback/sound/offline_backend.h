#pragma once

#include "playback/sound/audio_backend.h"

namespace tamberline {

// A device that plays nothing by itself: Render asks for the next frames as
// the device would have played them. Decoding happens on the caller's
// thread first, so the result is the same every time (sample-exact tests,
// benchmarks, measuring lengths).
class OfflineBackend final : public AudioBackend {
public:
    // `streaming`: decoding runs on the engine's streaming threads, as on a
    // device, while the caller still says when each period is mixed (Mix),
    // so stalls and underruns can be played out sample-exactly.
    explicit OfflineBackend(int sampleRate = 48000, int periodFrames = 256, bool streaming = false,
                            int channels = 0);

    SoundResult DriverCount(int& count) override;
    SoundResult DriverName(int index, std::string& name) override;
    SoundResult Open(int index, int channels, AudioSink& sink, BackendFormat& format) override;
    SoundResult Start() override;
    bool Close() override;
    bool Realtime() const override { return streaming_; }
    bool Lost() override { return false; }

    // Renders `frames` frames into `out` (Channels() interleaved floats),
    // one period at a time: decode (unless streaming), then mix. False when
    // not started.
    bool Render(float* out, int frames);
    // The two halves of Render, for measuring them apart.
    bool Decode();
    bool Mix(float* out, int frames);

    int Channels() const { return channels_; }

private:
    int sampleRate_;
    int periodFrames_;
    bool streaming_;
    int deviceChannels_;  // 0: as many as asked for
    int channels_ = 0;
    AudioSink* sink_ = nullptr;
    bool started_ = false;
};

}  // namespace tamberline
