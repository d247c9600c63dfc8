#pragma once

#include <string>

#include "playback/sound/sound_types.h"

namespace tamberline {

// What a backend drives: the engine's mixer and, for offline rendering, its
// decoder.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Audio thread: fill `frames` frames of `channels` interleaved floats.
    virtual void Process(float* out, int channels, int frames) noexcept = 0;
    // Offline rendering only: decode ahead on the caller's thread so that
    // the next Process finds everything it needs.
    virtual void Decode() = 0;
};

struct BackendFormat {
    int sampleRate = 0;
    int channels = 0;  // channels the device takes, at most what was asked
};

// An output device family: PortAudio devices, or offline rendering.
class AudioBackend {
public:
    virtual ~AudioBackend() = default;

    // Drivers in a fixed order; the index is what SetDriver takes.
    virtual SoundResult DriverCount(int& count) = 0;
    virtual SoundResult DriverName(int index, std::string& name) = 0;

    // Opens driver `index` for `channels` output channels; calls nothing yet.
    virtual SoundResult Open(int index, int channels, AudioSink& sink, BackendFormat& format) = 0;
    virtual SoundResult Start() = 0;
    // Stops calling the sink; never blocks on a device that has gone away.
    // False when a callback may still be using the sink: its owner must
    // then keep it.
    virtual bool Close() = 0;

    // False: Process is only called when someone asks for rendering, and
    // decoding runs on that caller's thread (no streaming thread).
    virtual bool Realtime() const = 0;
    // The device stopped calling back while open. Any thread: run control
    // and the outputs both ask.
    virtual bool Lost() = 0;
};

}  // namespace tamberline
