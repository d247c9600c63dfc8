#include "triggers/midi/midi_ports.h"

#include <algorithm>

#include "base/message_box.h"
#include "playback/run_ports.h"
#include "session/registry.h"
#include "triggers/ltc_presence.h"

namespace tamberline {

namespace {

constexpr int kMidiStatusField = 17;
constexpr int kTimecodeStatusField = 15;
constexpr uint32_t kUse = 9;
constexpr int kApplied = 9;
constexpr uint8_t kAllNotesOff = 123;

bool Lists(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

MidiPorts::MidiPorts(const Services& services)
    : services_(services),
      mtc_(
          services.timecode,
          [this](const std::string& text) { services_.status(kTimecodeStatusField, text); },
          services.linkedMaster),
      reader_({services.target, mtc_, services.ltc, services.clock, services.status,
               [this] { return GonePort(); }}),
      sender_(services.out, services.linkedMaster) {
    gate_.ltcLocked = &services.ltc.locked();
}

MidiPorts::~MidiPorts() {
    Close();
}

bool MidiPorts::Open() {
    if (IsOpen()) {
        return true;
    }
    std::string errors;
    const int inputsChosen = OpenInputs(errors);
    if (inputsChosen < 0) {
        return false;
    }
    const int chosen = inputsChosen + OpenOutputs(errors);
    if (!errors.empty()) {
        services_.box.Show(errors, mb::kOk);
    }
    if (chosen == 0) {
        return services_.choosePorts && services_.choosePorts() == kApplied && Open();
    }
    if (!IsOpen()) {
        return false;
    }
    DropQueuedEcho();
    mtc_.Reset();
    std::vector<MidiInputQueue*> queues;
    for (OpenInput& input : inputs_) {
        queues.push_back(input.queue.get());
    }
    std::vector<MidiOutputPort*> ports;
    for (OpenOutput& output : outputs_) {
        ports.push_back(output.port.get());
    }
    reportedGone_.clear();
    gate_.accept.store(true);
    services_.out.SetEnabled(true);
    reader_.Start(std::move(queues));
    sender_.Start(std::move(ports));
    return true;
}

// The number of inputs chosen, or -1 when the system has no MIDI port at
// all (said so).
int MidiPorts::OpenInputs(std::string& errors) {
    const std::vector<MidiDevice> ins = ListMidiDevices(services_.driver.InputNames());
    if (ins.empty() && services_.driver.OutputNames().empty()) {
        services_.status(kMidiStatusField, "");
        services_.box.Show("No Midi devices\nfound.", mb::kOk);
        return -1;
    }
    int chosen = 0;
    for (const MidiDevice& device : ins) {
        const DwordSetting setting = settings::MidiInPort(device.name);
        if (services_.registry.Dword(setting) != kUse) {
            continue;
        }
        ++chosen;
        auto queue = std::make_unique<MidiInputQueue>(services_.clock, gate_, reader_.wake());
        queue->Opening();
        auto port = services_.driver.OpenInput(device.id, device.portName, queue.get());
        if (!port) {
            errors += device.name + " input failed.\n";
            services_.registry.SetDword(setting, 0);
            continue;
        }
        inputs_.push_back({device, std::move(queue), std::move(port)});
    }
    return chosen;
}

int MidiPorts::OpenOutputs(std::string& errors) {
    int chosen = 0;
    for (const MidiDevice& device : ListMidiDevices(services_.driver.OutputNames())) {
        const DwordSetting setting = settings::MidiOutPort(device.name);
        if (services_.registry.Dword(setting) != kUse) {
            continue;
        }
        ++chosen;
        auto port = services_.driver.OpenOutput(device.id, device.portName);
        if (!port) {
            errors += device.name + " output failed.\n";
            services_.registry.SetDword(setting, 0);
            continue;
        }
        outputs_.push_back({device, std::move(port)});
    }
    return chosen;
}

void MidiPorts::Close() {
    gate_.accept.store(false);
    services_.out.SetEnabled(false);
    sender_.Stop();
    reader_.Stop();
    DropQueuedEcho();
    for (OpenOutput& output : outputs_) {
        // No note is left hanging on the devices behind.
        for (uint8_t channel = 0; channel < 16; ++channel) {
            const uint8_t allNotesOff[3] = {static_cast<uint8_t>(0xB0 | channel), kAllNotesOff, 0};
            output.port->Send(allNotesOff, sizeof allNotesOff);
        }
    }
    outputs_.clear();
    // The ports go before their queues: nothing is fed after this.
    for (OpenInput& input : inputs_) {
        input.port.reset();
    }
    inputs_.clear();
}

// Only while the sender is stopped: nothing old is sent after a new start.
void MidiPorts::DropQueuedEcho() {
    uint32_t stale = 0;
    while (services_.out.Pop(stale)) {
    }
}

std::string MidiPorts::GonePort() {
    const std::vector<std::string> ins = services_.driver.InputNames();
    const std::vector<std::string> outs = services_.driver.OutputNames();
    for (const OpenInput& input : inputs_) {
        if (!Lists(ins, input.device.portName) && reportedGone_.insert(input.device.name).second) {
            return " Last midi :  " + input.device.name + " gone ";
        }
    }
    for (const OpenOutput& output : outputs_) {
        if (!Lists(outs, output.device.portName) &&
            reportedGone_.insert(output.device.name).second) {
            return " Last midi :  " + output.device.name + " gone ";
        }
    }
    return {};
}

}  // namespace tamberline
