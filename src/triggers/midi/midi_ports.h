#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "triggers/midi/midi_device_list.h"
#include "triggers/midi/midi_driver.h"
#include "triggers/midi/midi_input_queue.h"
#include "triggers/midi/midi_out_sender.h"
#include "triggers/midi/midi_reader.h"
#include "triggers/midi/mtc_decoder.h"

namespace tamberline {

class LtcPresence;
class MessageBox;
class MidiOutQueue;
class Registry;
class TimecodeTriggers;

// MIDI in and out as one trigger port: opening the chosen devices (the
// port switch's "On"), closing them ("Off", set-up, exit), and the threads
// that read the inputs and send the echo of the buttons' starts and stops.
// Open and Close run on the GUI thread.
class MidiPorts {
public:
    struct Services {
        Registry& registry;
        MessageBox& box;
        MidiDriver& driver;
        const Clock& clock;
        MidiOutQueue& out;
        MidiTriggerTarget& target;
        TimecodeTriggers& timecode;
        LtcPresence& ltc;
        // Writes a status field; any thread, never waits.
        MidiReader::StatusFn status;
        // Whether this machine is a linked master, which neither sends MIDI
        // nor fires timecode triggers itself.
        std::function<bool()> linkedMaster;
        // The "Setup Midi Ports" dialog; 9 when applied with a selection.
        std::function<int()> choosePorts;
    };

    explicit MidiPorts(const Services& services);
    ~MidiPorts();
    MidiPorts(const MidiPorts&) = delete;
    MidiPorts& operator=(const MidiPorts&) = delete;

    // True when at least one device opened; otherwise the reason was shown
    // and MIDI stays off. With nothing chosen the dialog opens first.
    bool Open();
    void Close();
    bool IsOpen() const { return !inputs_.empty() || !outputs_.empty(); }
    // True when the MIDI reader has taken every message the inputs queued.
    bool InputsDrained() const {
        return std::all_of(inputs_.begin(), inputs_.end(),
                           [](const OpenInput& input) { return input.queue->Empty(); });
    }

    void SetStartupComplete() { reader_.SetStartupComplete(); }
    uint32_t quarterFrames() const { return reader_.quarterFrames(); }
    const MtcDecoder& mtc() const { return mtc_; }

private:
    struct OpenInput {
        MidiDevice device;
        std::unique_ptr<MidiInputQueue> queue;
        std::unique_ptr<MidiInputPort> port;
    };
    struct OpenOutput {
        MidiDevice device;
        std::unique_ptr<MidiOutputPort> port;
    };

    int OpenInputs(std::string& errors);
    int OpenOutputs(std::string& errors);
    void DropQueuedEcho();
    // MIDI reader thread: the text naming an open port that went away.
    std::string GonePort();

    Services services_;
    MidiInputGate gate_;
    MtcDecoder mtc_;
    MidiReader reader_;
    MidiOutSender sender_;
    std::vector<OpenInput> inputs_;
    std::vector<OpenOutput> outputs_;
    std::set<std::string> reportedGone_;  // reader thread only
};

}  // namespace tamberline
