#pragma once

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

namespace tamberline {
class SoundSystem;
}  // namespace tamberline

namespace tamberline::testing {

class JackRecorder;

// The index of the JACK server's "system" driver among the engine's drivers,
// or -1.
int JackSystemDriver(const std::vector<std::string>& drivers);

// Starts `system` on the JACK system device under the JACK client name
// `player`, with 336 channels, and has `recorder` follow what it plays.
bool StartEngineOnJack(SoundSystem& system, JackRecorder& recorder, const std::string& player);

// A JACK client that records what a player sends to the server's playback
// ports: each of its inputs is fed from the ports of JACK client `player`
// that feed system:playback_N.
class JackRecorder {
public:
    static constexpr int kPorts = 8;

    explicit JackRecorder(double seconds);
    ~JackRecorder();

    bool Open();
    // Connects input N to the sources of system:playback_N (call once the
    // player is running); false when a playback port has no source.
    bool FollowPlaybackPorts(const std::string& player);
    void Stop();

    jack_nframes_t Rate() const;
    jack_nframes_t FrameTime() const;
    // Frames recorded so far on port `port` (0-based), after Stop.
    const std::vector<float>& Channel(int port) const { return data_[static_cast<size_t>(port)]; }
    size_t Recorded() const { return recorded_.load(std::memory_order_acquire); }
    // Server frame time of the first recorded frame.
    jack_nframes_t StartTime() const { return startTime_.load(std::memory_order_acquire); }
    // Cycles the server reported late (xruns) while recording: on a loaded
    // machine without real-time scheduling a client can miss a period, and
    // the server then plays silence in its place.
    int Xruns() const { return xruns_.load(std::memory_order_acquire); }
    jack_nframes_t PeriodFrames() const;
    // Whether frame `frame` of the take lies within `window` frames of a
    // gap that is the server's or this recorder's, not the player's: a
    // cycle the server reported late, or one this client missed.
    bool NearGap(size_t frame, size_t window) const;

private:
    static int Process(jack_nframes_t frames, void* self);
    static int Xrun(void* self);
    void MarkGap(size_t frame);

    jack_client_t* client_ = nullptr;
    jack_port_t* ports_[kPorts] = {};
    std::vector<std::vector<float>> data_;
    std::atomic<size_t> recorded_{0};
    std::atomic<jack_nframes_t> startTime_{0};
    std::atomic<bool> recording_{false};
    std::atomic<int> xruns_{0};
    static constexpr int kMaxGaps = 256;
    std::array<std::atomic<size_t>, kMaxGaps> gaps_{};
    std::atomic<int> gapCount_{0};
    bool active_ = false;
};

}  // namespace tamberline::testing
