#pragma once

#include <string>
#include <vector>

namespace tamberline {

inline constexpr int kMidiDeviceIds = 8;

// A MIDI port the console may use, by its device id 0..7 (the driver's
// order). `name` is what the operator sees and what its setting is stored
// under: a port named like an earlier one gets " (2)", " (3)" … so that
// two identical interfaces keep a choice each.
struct MidiDevice {
    int id = 0;
    std::string portName;
    std::string name;
};

// The first eight of the driver's ports.
std::vector<MidiDevice> ListMidiDevices(const std::vector<std::string>& portNames);

}  // namespace tamberline
