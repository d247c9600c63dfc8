#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/spsc_ring.h"

namespace tamberline::testing {

// Another JACK MIDI program: a client with a MIDI output "out" that sends
// what the test queues, and a MIDI input "in" that keeps what arrives.
class JackMidiPeer {
public:
    static constexpr size_t kMaxEvent = 1024;

    explicit JackMidiPeer(std::string name);
    ~JackMidiPeer() { Close(); }

    bool Open();
    // Removes the client from the server, as a program that quits.
    void Close();

    std::string SourcePort() const { return name_ + ":out"; }
    std::string SinkPort() const { return name_ + ":in"; }

    // One thread: `bytes` go out as one event in a coming cycle; false
    // when the queue is full or the event too long.
    bool Send(const std::vector<uint8_t>& bytes);
    bool Idle() const { return sent_.load() == queued_; }
    // The server's frame time of the cycle the last event went out in.
    jack_nframes_t LastSentFrame() const { return lastSentFrame_.load(); }
    jack_nframes_t FrameTime() const;

    // Every event received so far, in order.
    std::vector<std::vector<uint8_t>> Received();

    // The peer also listens to an audio port: from Arm on, the server's frame
    // time of the first sample that is not silence (0 until there is one).
    bool Listen(const std::string& audioPort);
    void ArmSoundWatch() { soundFrame_.store(0), armed_.store(true); }
    jack_nframes_t SoundFrame() const { return soundFrame_.load(); }

private:
    struct OutEvent {
        uint16_t size = 0;
        uint8_t bytes[kMaxEvent];
    };
    struct InEvent {
        uint8_t size = 0;
        uint8_t bytes[15];
    };
    static int Process(jack_nframes_t frames, void* self);
    void Write(void* buffer);

    std::string name_;
    jack_client_t* client_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* listen_ = nullptr;
    std::atomic<bool> armed_{false};
    std::atomic<jack_nframes_t> soundFrame_{0};
    SpscRing<OutEvent> outgoing_{2048};
    SpscRing<InEvent> incoming_{65536};
    OutEvent held_;  // process thread: an event that did not fit its cycle
    bool holding_ = false;
    uint64_t queued_ = 0;
    std::atomic<uint64_t> sent_{0};
    std::atomic<jack_nframes_t> lastSentFrame_{0};
    std::mutex receivedLock_;
    std::vector<std::vector<uint8_t>> received_;
};

}  // namespace tamberline::testing
