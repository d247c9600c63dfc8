#pragma once

#include <memory>
#include <string>
#include <vector>

#include "playback/sound/audio_backend.h"

namespace tamberline {

class JackBackend;
class PortAudioBackend;

// The program's output devices, the "ASIO drivers": PortAudio's devices
// (ALSA) in PortAudio's order, then the JACK server's playback ports while a
// server runs. Once a JACK driver is opened PortAudio is ended, so that its
// JACK host holds no client on the server (it would hang once the server
// quits).
class DeviceBackends final : public AudioBackend {
public:
    // `jackClientName`: the name the program shows on a JACK server.
    explicit DeviceBackends(std::string jackClientName = "Tamberline");
    ~DeviceBackends() override;
    DeviceBackends(const DeviceBackends&) = delete;
    DeviceBackends& operator=(const DeviceBackends&) = delete;

    SoundResult DriverCount(int& count) override;
    SoundResult DriverName(int index, std::string& name) override;
    SoundResult Open(int index, int channels, AudioSink& sink, BackendFormat& format) override;
    SoundResult Start() override;
    bool Close() override;
    bool Realtime() const override { return true; }
    bool Lost() override;

private:
    bool List();

    std::unique_ptr<PortAudioBackend> portAudio_;
    std::unique_ptr<JackBackend> jack_;
    bool listed_ = false;
    std::vector<std::string> names_;
    int portAudioCount_ = 0;
    AudioBackend* opened_ = nullptr;
};

}  // namespace tamberline
