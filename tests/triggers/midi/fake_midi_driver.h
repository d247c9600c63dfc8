#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "triggers/midi/midi_driver.h"
#include "triggers/midi/midi_reader.h"

namespace tamberline::testing {

// MIDI ports that a test lists, opens, feeds and reads.
class FakeMidiDriver final : public MidiDriver {
public:
    std::vector<std::string> InputNames() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return inputs;
    }
    std::vector<std::string> OutputNames() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return outputs;
    }
    std::unique_ptr<MidiInputPort> OpenInput(int index, const std::string& name,
                                             MidiInputSink* sink) override;
    std::unique_ptr<MidiOutputPort> OpenOutput(int index, const std::string& name) override;

    // The driver's thread delivers one event to the input opened at `index`.
    void Deliver(int index, std::vector<uint8_t> bytes);
    std::vector<std::vector<uint8_t>> Sent(int index);
    void RemoveInput(const std::string& name);

    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::set<std::string> busy;  // ports that refuse to open
    std::vector<int> openedInputs;
    std::vector<int> openedOutputs;
    int probes = 0;

private:
    friend class FakeOutput;
    friend class FakeInput;
    std::mutex mutex_;
    std::map<int, MidiInputSink*> sinks_;
    std::map<int, std::vector<std::vector<uint8_t>>> sent_;
};

// Steady time a test moves, safe to read from other threads.
class SharedClock final : public Clock {
public:
    uint32_t TickCount() const override { return ms_.load(); }
    LocalTimeOfDay LocalTime() const override { return {}; }
    void Advance(uint32_t ms) { ms_ += ms; }

private:
    std::atomic<uint32_t> ms_{1000};
};

// Keeps what MIDI asked of the buttons.
class RecordingMidiTarget final : public MidiTriggerTarget {
public:
    void Act(const MidiAction& action) override {
        std::lock_guard<std::mutex> lock(mutex_);
        actions_.push_back(action);
    }
    std::vector<MidiAction> Actions() {
        std::lock_guard<std::mutex> lock(mutex_);
        return actions_;
    }

private:
    std::mutex mutex_;
    std::vector<MidiAction> actions_;
};

// Waits up to twenty seconds for `done`: only a guard against a hang, long
// enough for a machine busy with other tests and sanitizers.
template <typename Done>
bool WaitFor(Done&& done) {
    for (int i = 0; i < 2000; ++i) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

}  // namespace tamberline::testing
