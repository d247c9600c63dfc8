#include "jack_midi_peer.h"

#include <jack/midiport.h>

#include <cstring>

namespace tamberline::testing {

JackMidiPeer::JackMidiPeer(std::string name) : name_(std::move(name)) {}

bool JackMidiPeer::Open() {
    client_ = jack_client_open(name_.c_str(), JackNoStartServer, nullptr);
    if (!client_) {
        return false;
    }
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    listen_ = jack_port_register(client_, "listen", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackMidiPeer::Process, this);
    return out_ && in_ && listen_ && jack_activate(client_) == 0;
}

bool JackMidiPeer::Listen(const std::string& audioPort) {
    return client_ && jack_connect(client_, audioPort.c_str(), jack_port_name(listen_)) == 0;
}

void JackMidiPeer::Close() {
    if (client_) {
        jack_deactivate(client_);
        jack_client_close(client_);
        client_ = nullptr;
    }
}

jack_nframes_t JackMidiPeer::FrameTime() const {
    return client_ ? jack_frame_time(client_) : 0;
}

bool JackMidiPeer::Send(const std::vector<uint8_t>& bytes) {
    if (bytes.empty() || bytes.size() > kMaxEvent) {
        return false;
    }
    OutEvent event;
    event.size = static_cast<uint16_t>(bytes.size());
    std::memcpy(event.bytes, bytes.data(), bytes.size());
    if (!outgoing_.Push(event)) {
        return false;
    }
    ++queued_;
    return true;
}

std::vector<std::vector<uint8_t>> JackMidiPeer::Received() {
    std::lock_guard<std::mutex> lock(receivedLock_);
    InEvent event;
    while (incoming_.Pop(event)) {
        received_.emplace_back(event.bytes, event.bytes + event.size);
    }
    return received_;
}

int JackMidiPeer::Process(jack_nframes_t frames, void* self) {
    auto* peer = static_cast<JackMidiPeer*>(self);
    peer->Write(jack_port_get_buffer(peer->out_, frames));
    void* in = jack_port_get_buffer(peer->in_, frames);
    const jack_nframes_t count = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, in, i) == 0) {
            InEvent kept;
            kept.size = static_cast<uint8_t>(std::min<size_t>(event.size, sizeof kept.bytes));
            std::memcpy(kept.bytes, event.buffer, kept.size);
            peer->incoming_.Push(kept);
        }
    }
    if (peer->armed_.load()) {
        const auto* audio = static_cast<const float*>(jack_port_get_buffer(peer->listen_, frames));
        for (jack_nframes_t i = 0; i < frames; ++i) {
            if (audio[i] != 0.0f) {
                peer->soundFrame_.store(jack_last_frame_time(peer->client_) + i);
                peer->armed_.store(false);
                break;
            }
        }
    }
    return 0;
}

void JackMidiPeer::Write(void* buffer) {
    jack_midi_clear_buffer(buffer);
    bool wrote = false;
    while (holding_ || outgoing_.Pop(held_)) {
        holding_ = true;
        if (jack_midi_event_write(buffer, 0, held_.bytes, held_.size) != 0) {
            break;  // the cycle is full: next time
        }
        holding_ = false;
        wrote = true;
        sent_.fetch_add(1);
    }
    if (wrote) {
        lastSentFrame_.store(jack_last_frame_time(client_));
    }
}

}  // namespace tamberline::testing
