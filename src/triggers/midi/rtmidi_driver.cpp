#include "triggers/midi/rtmidi_driver.h"

#include <unistd.h>

namespace tamberline {

namespace {

// Errors are told by the results (a port that did not open); RtMidi's own
// reports would otherwise go to the console or be thrown.
void Quiet(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*data*/) {}

void Deliver(double /*deltaSeconds*/, std::vector<unsigned char>* message, void* data) {
    if (message && !message->empty()) {
        static_cast<MidiInputSink*>(data)->OnMidiEvent(message->data(), message->size());
    }
}

class RtInput final : public MidiInputPort {
public:
    explicit RtInput(std::unique_ptr<RtMidiIn> in) : in_(std::move(in)) {}
    ~RtInput() override {
        in_->closePort();
        in_->cancelCallback();
    }

private:
    std::unique_ptr<RtMidiIn> in_;
};

class RtOutput final : public MidiOutputPort {
public:
    explicit RtOutput(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}
    ~RtOutput() override { out_->closePort(); }
    bool Send(const uint8_t* bytes, size_t size) override {
        try {
            out_->sendMessage(bytes, size);
            return out_->isPortOpen();
        } catch (const RtMidiError&) {
            return false;
        }
    }

private:
    std::unique_ptr<RtMidiOut> out_;
};

template <typename Port>
std::unique_ptr<Port> Make(RtMidi::Api api, const std::string& clientName) {
    try {
        auto port = std::make_unique<Port>(api, clientName);
        port->setErrorCallback(&Quiet, nullptr);
        return port;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

}  // namespace

RtMidiDriver::RtMidiDriver(std::string clientName) : clientName_(std::move(clientName)) {
    // Without the sequencer device RtMidi refuses ALSA (and says so on the
    // console): go to JACK at once.
    api_ = ::access("/dev/snd/seq", R_OK | W_OK) == 0 ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
    listIn_ = Make<RtMidiIn>(api_, clientName_ + " list");
    if (!listIn_ && api_ == RtMidi::LINUX_ALSA) {
        api_ = RtMidi::UNIX_JACK;
        listIn_ = Make<RtMidiIn>(api_, clientName_ + " list");
    }
    listOut_ = Make<RtMidiOut>(api_, clientName_ + " list");
}

bool RtMidiDriver::IsOwn(const std::string& name) const {
    return name.rfind(clientName_, 0) == 0;
}

template <typename Port>
std::vector<std::string> RtMidiDriver::Names(Port& port) {
    std::vector<std::string> names;
    const unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        std::string name = port.getPortName(i);
        if (!name.empty() && !IsOwn(name)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

template <typename Port>
int RtMidiDriver::RawIndex(Port& port, int index, const std::string& name) {
    const unsigned count = port.getPortCount();
    int listed = 0;
    for (unsigned i = 0; i < count; ++i) {
        const std::string portName = port.getPortName(i);
        if (portName.empty() || IsOwn(portName)) {
            continue;
        }
        if (listed++ == index) {
            return portName == name ? static_cast<int>(i) : -1;
        }
    }
    return -1;
}

std::vector<std::string> RtMidiDriver::InputNames() {
    std::lock_guard<std::mutex> lock(listLock_);
    return listIn_ ? Names(*listIn_) : std::vector<std::string>{};
}

std::vector<std::string> RtMidiDriver::OutputNames() {
    std::lock_guard<std::mutex> lock(listLock_);
    return listOut_ ? Names(*listOut_) : std::vector<std::string>{};
}

std::unique_ptr<MidiInputPort> RtMidiDriver::OpenInput(int index, const std::string& name,
                                                       MidiInputSink* sink) {
    auto in = Make<RtMidiIn>(api_, clientName_ + " in");
    if (!in) {
        return nullptr;
    }
    const int raw = RawIndex(*in, index, name);
    if (raw < 0) {
        return nullptr;
    }
    try {
        if (sink) {
            // Quarter frames are timing messages: let them through.
            in->ignoreTypes(true, false, true);
            in->setCallback(&Deliver, sink);
        }
        in->openPort(static_cast<unsigned>(raw), "in");
    } catch (const RtMidiError&) {
        return nullptr;
    }
    if (!in->isPortOpen()) {
        return nullptr;
    }
    return std::make_unique<RtInput>(std::move(in));
}

std::unique_ptr<MidiOutputPort> RtMidiDriver::OpenOutput(int index, const std::string& name) {
    auto out = Make<RtMidiOut>(api_, clientName_ + " out");
    if (!out) {
        return nullptr;
    }
    const int raw = RawIndex(*out, index, name);
    if (raw < 0) {
        return nullptr;
    }
    try {
        out->openPort(static_cast<unsigned>(raw), "out");
    } catch (const RtMidiError&) {
        return nullptr;
    }
    if (!out->isPortOpen()) {
        return nullptr;
    }
    return std::make_unique<RtOutput>(std::move(out));
}

}  // namespace tamberline
