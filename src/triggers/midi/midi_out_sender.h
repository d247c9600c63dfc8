#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "playback/run_ports.h"
#include "triggers/midi/midi_driver.h"

namespace tamberline {

// The MIDI-out thread: sends every queued message to every open output, in
// device order, while it runs. A linked master sends nothing; the machine
// it controls plays the buttons and sends their notes.
class MidiOutSender {
public:
    MidiOutSender(MidiOutQueue& queue, std::function<bool()> linkedMaster);
    ~MidiOutSender() { Stop(); }
    MidiOutSender(const MidiOutSender&) = delete;
    MidiOutSender& operator=(const MidiOutSender&) = delete;

    void Start(std::vector<MidiOutputPort*> outputs);
    // Ends the thread; what is still queued is not sent.
    void Stop();
    // Messages an output refused.
    uint64_t failed() const { return failed_.load(std::memory_order_relaxed); }

private:
    void Run();
    void Send(uint32_t message);

    MidiOutQueue& queue_;
    std::function<bool()> linkedMaster_;
    std::vector<MidiOutputPort*> outputs_;
    std::atomic<bool> run_{false};
    std::atomic<uint64_t> failed_{0};
    std::thread thread_;
};

}  // namespace tamberline
