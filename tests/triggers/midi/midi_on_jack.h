#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/clock.h"
#include "jack_midi_peer.h"
#include "jack_recorder.h"
#include "playback/run_controller.h"
#include "playback/sound/sound_system.h"
#include "session/registry.h"
#include "triggers/ltc_presence.h"
#include "triggers/midi/midi_ports.h"
#include "triggers/midi/midi_run_target.h"
#include "triggers/midi/rtmidi_driver.h"
#include "triggers/timecode_triggers.h"

namespace tamberline::testing {

// Keeps what MIDI timecode asked of the timecode triggers.
class RecordingTimecode final : public TimecodeTriggers {
public:
    void PositionCursor(uint32_t frameCount, int /*fps*/) override {
        std::lock_guard<std::mutex> lock(mutex_);
        positions_.push_back(frameCount);
    }
    void FrameCountReached(uint32_t frameCount) override {
        std::lock_guard<std::mutex> lock(mutex_);
        reached_.push_back(frameCount);
    }
    std::vector<uint32_t> positions() {
        std::lock_guard<std::mutex> lock(mutex_);
        return positions_;
    }
    std::vector<uint32_t> reached() {
        std::lock_guard<std::mutex> lock(mutex_);
        return reached_;
    }

private:
    std::mutex mutex_;
    std::vector<uint32_t> positions_;
    std::vector<uint32_t> reached_;
};

// The program's MIDI on the JACK server of the test services: run control
// on the engine, MIDI ports through RtMidi, and a peer program whose MIDI
// ports are the only ones chosen and which listens to the engine.
class MidiOnJack {
public:
    MidiOnJack(const std::string& registryFile, MessageBox& box);
    ~MidiOnJack();

    // False (with the reason in `why`) when the server or a port is missing.
    bool Start(std::string& why);
    // Opens MIDI and waits out the inputs' first half second.
    bool OpenMidi();

    ButtonRecord Button(const std::string& path, int note, int channel) const;
    // A stereo cosine of `seconds` in `folder`: sound from its first sample.
    static std::string WriteTone(const std::string& folder, double seconds);
    std::vector<std::string> Status(int field);

    JackMidiPeer& peer() { return peer_; }
    // The engine's JACK port of output channel 1.
    std::string FirstOutputPort() const { return "tamberline-midi-" + id_ + ":out_1"; }
    RunController& run() { return *run_; }
    MidiPorts& ports() { return *ports_; }
    MidiOutQueue& out() { return out_; }
    RecordingTimecode& timecode() { return timecode_; }

private:
    void ChooseOnlyThePeer();

    class Host;
    std::string id_;
    Registry registry_;
    MessageBox& box_;
    SystemClock clock_;
    // The engine starts on JACK with a recorder following it; the peer
    // listens to the sound itself.
    JackRecorder recorder_{1.0};
    SoundSystem system_;
    std::unique_ptr<Host> host_;
    MidiOutQueue out_;
    std::unique_ptr<RunController> run_;
    JackMidiPeer peer_;
    std::unique_ptr<RtMidiDriver> driver_;
    std::unique_ptr<MidiRunTarget> target_;
    RecordingTimecode timecode_;
    LtcPresence ltc_;
    std::mutex statusLock_;
    std::vector<std::pair<int, std::string>> status_;
    std::unique_ptr<MidiPorts> ports_;
};

}  // namespace tamberline::testing
