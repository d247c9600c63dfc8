#pragma once

#include <cstddef>
#include <cstdint>

namespace tamberline {

// A short MIDI message as the console keeps it: status in the low byte,
// data 1 in the next, data 2 in the third.
inline constexpr uint32_t PackShortMessage(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) {
    return status | (uint32_t{data1} << 8) | (uint32_t{data2} << 16);
}
inline constexpr uint8_t StatusOf(uint32_t message) {
    return static_cast<uint8_t>(message & 0xFF);
}
inline constexpr uint8_t Data1Of(uint32_t message) {
    return static_cast<uint8_t>((message >> 8) & 0xFF);
}
inline constexpr uint8_t Data2Of(uint32_t message) {
    return static_cast<uint8_t>((message >> 16) & 0xFF);
}

inline constexpr uint8_t kSystemReset = 0xFF;
inline constexpr uint8_t kQuarterFrame = 0xF1;

// Data bytes that follow `status`; 0 for real-time and unknown statuses.
int DataBytesOf(uint8_t status);

// What the input keeps: note off, note on, control change, system reset,
// and the system-common statuses 1111xxx1 (quarter frames among them)
// while no LTC is locked. Clock, active sensing, aftertouch, program
// change and pitch bend are dropped.
bool KeepIncoming(uint32_t message, bool ltcLocked);

// Splits the bytes a driver hands over into short messages, as a MIDI
// interface would: running status, real-time bytes inside a message,
// system-exclusive data skipped, a message cut short dropped. Keeps the
// running status from one event to the next. Never allocates, so it may
// run on the driver's thread.
class MidiByteParser {
public:
    template <typename Emit>
    void Feed(const uint8_t* bytes, size_t size, Emit&& emit) {
        for (size_t i = 0; i < size; ++i) {
            uint32_t message = 0;
            if (Take(bytes[i], message)) {
                emit(message);
            }
        }
        // What is left of a message ends with its event.
        have_ = 0;
    }

private:
    bool Take(uint8_t byte, uint32_t& message);

    uint8_t status_ = 0;  // running status, 0 = none
    int needed_ = 0;
    int have_ = 0;
    uint8_t data_[2] = {};
    bool inSysEx_ = false;
};

}  // namespace tamberline
