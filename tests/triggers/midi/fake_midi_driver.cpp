#include "fake_midi_driver.h"

namespace tamberline::testing {

class FakeInput final : public MidiInputPort {
public:
    FakeInput(FakeMidiDriver& driver, int index) : driver_(driver), index_(index) {}
    ~FakeInput() override {
        std::lock_guard<std::mutex> lock(driver_.mutex_);
        driver_.sinks_.erase(index_);
    }

private:
    FakeMidiDriver& driver_;
    int index_;
};

class FakeOutput final : public MidiOutputPort {
public:
    FakeOutput(FakeMidiDriver& driver, int index) : driver_(driver), index_(index) {}
    bool Send(const uint8_t* bytes, size_t size) override {
        std::lock_guard<std::mutex> lock(driver_.mutex_);
        driver_.sent_[index_].emplace_back(bytes, bytes + size);
        return true;
    }

private:
    FakeMidiDriver& driver_;
    int index_;
};

std::unique_ptr<MidiInputPort> FakeMidiDriver::OpenInput(int index, const std::string& name,
                                                         MidiInputSink* sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= inputs.size() ||
        inputs[static_cast<size_t>(index)] != name || busy.count(name)) {
        return nullptr;
    }
    if (!sink) {
        ++probes;
    } else {
        sinks_[index] = sink;
        openedInputs.push_back(index);
    }
    return std::make_unique<FakeInput>(*this, index);
}

std::unique_ptr<MidiOutputPort> FakeMidiDriver::OpenOutput(int index, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= outputs.size() ||
        outputs[static_cast<size_t>(index)] != name || busy.count(name)) {
        return nullptr;
    }
    openedOutputs.push_back(index);
    return std::make_unique<FakeOutput>(*this, index);
}

void FakeMidiDriver::Deliver(int index, std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = sinks_.find(index);
    if (it != sinks_.end()) {
        it->second->OnMidiEvent(bytes.data(), bytes.size());
    }
}

std::vector<std::vector<uint8_t>> FakeMidiDriver::Sent(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_[index];
}

void FakeMidiDriver::RemoveInput(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase(inputs, name);
}

}  // namespace tamberline::testing
