#pragma once

#include <rtmidi/RtMidi.h>

#include <memory>
#include <mutex>

#include "triggers/midi/midi_driver.h"

namespace tamberline {

// MIDI through RtMidi: the ALSA sequencer where the system has one, else
// JACK MIDI (RtMidi refuses ALSA without /dev/snd/seq). Each open port is
// its own client named `clientName`; the program's own ports are left out
// of the lists, so that it never listens to itself.
class RtMidiDriver final : public MidiDriver {
public:
    explicit RtMidiDriver(std::string clientName = "Tamberline");

    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    std::unique_ptr<MidiInputPort> OpenInput(int index, const std::string& name,
                                             MidiInputSink* sink) override;
    std::unique_ptr<MidiOutputPort> OpenOutput(int index, const std::string& name) override;

    RtMidi::Api api() const { return api_; }

private:
    template <typename Port>
    std::vector<std::string> Names(Port& port);
    bool IsOwn(const std::string& name) const;
    // The raw port number of list entry `index` named `name`, or -1.
    template <typename Port>
    int RawIndex(Port& port, int index, const std::string& name);

    std::string clientName_;
    RtMidi::Api api_ = RtMidi::UNSPECIFIED;
    // One client each that only lists, kept so a look at the ports costs
    // no new client; any thread may list.
    std::mutex listLock_;
    std::unique_ptr<RtMidiIn> listIn_;
    std::unique_ptr<RtMidiOut> listOut_;
};

}  // namespace tamberline
