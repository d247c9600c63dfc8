#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tamberline {

// Receives what an open input delivers, on the driver's thread: one event's
// bytes at a time. Must not block, lock or allocate.
class MidiInputSink {
public:
    virtual ~MidiInputSink() = default;
    virtual void OnMidiEvent(const uint8_t* bytes, size_t size) noexcept = 0;
};

// An open MIDI port; closing it is destroying it.
class MidiInputPort {
public:
    virtual ~MidiInputPort() = default;
};
class MidiOutputPort {
public:
    virtual ~MidiOutputPort() = default;
    // False when the port refused the message.
    virtual bool Send(const uint8_t* bytes, size_t size) = 0;
};

// The platform's MIDI ports, listed in the driver's order.
class MidiDriver {
public:
    virtual ~MidiDriver() = default;
    virtual std::vector<std::string> InputNames() = 0;
    virtual std::vector<std::string> OutputNames() = 0;
    // The port at `index` of the lists, provided it still has the name
    // `name`; null when it cannot be opened (gone, busy). A null `sink`
    // opens the input only to see whether it is free.
    virtual std::unique_ptr<MidiInputPort> OpenInput(int index, const std::string& name,
                                                     MidiInputSink* sink) = 0;
    virtual std::unique_ptr<MidiOutputPort> OpenOutput(int index, const std::string& name) = 0;
};

}  // namespace tamberline
