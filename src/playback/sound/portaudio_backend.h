#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "playback/sound/audio_backend.h"
#include "playback/sound/callback_watch.h"

namespace tamberline {

// PortAudio output devices with at least two output channels, in
// PortAudio's order, JACK's left out: the JACK server is played through a
// client of the program's own (JackBackend), because PortAudio's JACK host
// hangs on a server that quit.
//
// A device that goes away (the JACK server quits, a card is unplugged)
// makes Lost() true. Closing such a stream can block, so it is left open
// and forgotten; the next backend to initialise PortAudio first ends those
// left-behind initialisations on a thread of its own, so that PortAudio
// starts afresh and finds the device again. Until that thread is done (on a
// dead JACK server PortAudio waits ten minutes for the stream) initialising
// fails at once, and the outputs are built without the engine.
class PortAudioBackend final : public AudioBackend {
public:
    // `jackClientName`: the client PortAudio's JACK host keeps on a running
    // server while PortAudio is initialised. PortAudio takes it from the
    // first backend of the process.
    explicit PortAudioBackend(std::string jackClientName = "Tamberline-PortAudio");
    ~PortAudioBackend() override;
    PortAudioBackend(const PortAudioBackend&) = delete;
    PortAudioBackend& operator=(const PortAudioBackend&) = delete;

    SoundResult DriverCount(int& count) override;
    SoundResult DriverName(int index, std::string& name) override;
    SoundResult Open(int index, int channels, AudioSink& sink, BackendFormat& format) override;
    SoundResult Start() override;
    bool Close() override;
    bool Realtime() const override { return true; }
    bool Lost() override;

private:
    struct Shared;
    bool Initialise();

    std::string jackClientName_;
    bool initialised_ = false;
    bool abandoned_ = false;
    bool sinkReleased_ = true;
    std::vector<int> devices_;
    void* stream_ = nullptr;
    Shared* shared_ = nullptr;
    bool started_ = false;
    std::mutex lostMutex_;
    CallbackWatch watch_;
};

}  // namespace tamberline
