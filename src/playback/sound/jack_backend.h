#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "playback/sound/audio_backend.h"
#include "playback/sound/callback_watch.h"

typedef struct _jack_client jack_client_t;

namespace tamberline {

// The JACK server's playback ports as one driver, "system (JACK Audio
// Connection Kit)", through a JACK client of the program's own (libjack).
// Listed only while a server runs (the one JACK_DEFAULT_SERVER names, else
// the default one); never starts a server.
//
// A server that quits or stops calling back makes Lost() true. The client
// of a dead server is left behind (libjack can only crash or wait on it),
// and a server that comes back is found by the next backend at once:
// building the outputs again plays again without a restart of the program.
class JackBackend final : public AudioBackend {
public:
    static constexpr const char* kDriverName = "system (JACK Audio Connection Kit)";

    explicit JackBackend(std::string clientName = "Tamberline");
    ~JackBackend() override;
    JackBackend(const JackBackend&) = delete;
    JackBackend& operator=(const JackBackend&) = delete;

    // A server answers now. Any thread; takes a few milliseconds.
    static bool ServerRuns();

    SoundResult DriverCount(int& count) override;
    SoundResult DriverName(int index, std::string& name) override;
    SoundResult Open(int index, int channels, AudioSink& sink, BackendFormat& format) override;
    SoundResult Start() override;
    bool Close() override;
    bool Realtime() const override { return true; }
    bool Lost() override;

private:
    struct Shared;
    void Probe();

    std::string clientName_;
    bool probed_ = false;
    int playbackPorts_ = 0;  // physical playback ports when probed
    jack_client_t* client_ = nullptr;
    Shared* shared_ = nullptr;
    bool started_ = false;
    // Lost() is asked by run control and by the outputs, on their threads.
    std::mutex lostMutex_;
    bool lost_ = false;
    CallbackWatch watch_;
};

}  // namespace tamberline
