#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/wakeup.h"
#include "triggers/midi/midi_action.h"

namespace tamberline {

class LtcPresence;
class MidiInputQueue;
class MtcDecoder;

// Where the buttons' side of a MIDI message is carried out. Called on the
// MIDI reader's thread; must not wait for the buttons.
class MidiTriggerTarget {
public:
    virtual ~MidiTriggerTarget() = default;
    virtual void Act(const MidiAction& action) = 0;
};

// The console's MIDI thread: takes what the inputs queued, in device
// order, follows MIDI timecode and acts on every message, so a busy window
// never holds up a note. Status texts leave through `status`, which must
// hand them on without waiting. Every half second it checks for lost
// timecode, lost messages and ports that went away.
class MidiReader {
public:
    using StatusFn = std::function<void(int field, const std::string& text)>;
    // The text that says which open port went away, or empty.
    using WatchFn = std::function<std::string()>;

    struct Services {
        MidiTriggerTarget& target;
        MtcDecoder& mtc;
        LtcPresence& ltc;  // its loss is checked here while MIDI is on
        const Clock& clock;
        StatusFn status;
        WatchFn watch;
    };

    explicit MidiReader(const Services& services);
    ~MidiReader() { Stop(); }
    MidiReader(const MidiReader&) = delete;
    MidiReader& operator=(const MidiReader&) = delete;

    // Runs the thread over `inputs` until Stop.
    void Start(std::vector<MidiInputQueue*> inputs);
    void Stop();
    Wakeup& wake() { return wake_; }

    // Messages before start-up is complete are thrown away.
    void SetStartupComplete() { startupComplete_.store(true); }
    // Quarter frames followed so far (the console's timecode watch).
    uint32_t quarterFrames() const { return quarterFrames_.load(std::memory_order_relaxed); }

    // The thread's own work, for tests while no thread runs: the queues to
    // read, one pass over them, and the half-second checks.
    void Attach(std::vector<MidiInputQueue*> inputs);
    void Drain();
    void Checks();

private:
    void Run();
    void Take(uint32_t message);

    Services services_;
    Wakeup wake_;
    std::vector<MidiInputQueue*> inputs_;
    std::atomic<bool> startupComplete_{false};
    std::atomic<bool> stop_{false};
    std::atomic<uint32_t> quarterFrames_{0};
    uint64_t refusedShown_ = 0;
    std::thread thread_;
};

}  // namespace tamberline
