#pragma once

#include <atomic>
#include <cstdint>

#include "base/clock.h"
#include "base/spsc_ring.h"
#include "base/wakeup.h"
#include "triggers/midi/midi_driver.h"
#include "triggers/midi/midi_message.h"

namespace tamberline {

// What the inputs share with the rest of the console: whether messages
// are taken at all, and whether an LTC signal is locked (quarter frames
// are not even queued then).
struct MidiInputGate {
    std::atomic<bool> accept{false};
    const std::atomic<bool>* ltcLocked = nullptr;
};

// One open MIDI input as its driver's thread feeds it: splits each event
// into short messages, keeps what the console acts on, and queues them in
// 2048 entries for the MIDI reader. The first half second after opening is
// dropped. A full queue refuses (and counts) rather than overwrite unread
// messages. Only the driver's thread feeds it and only the reader takes.
class MidiInputQueue final : public MidiInputSink {
public:
    static constexpr size_t kSize = 2048;
    static constexpr uint32_t kSettleMs = 500;

    MidiInputQueue(const Clock& clock, const MidiInputGate& gate, Wakeup& wake);

    // Before the port opens.
    void Opening() { openedAt_ = clock_.TickCount(); }

    void OnMidiEvent(const uint8_t* bytes, size_t size) noexcept override;

    // The MIDI reader.
    bool Pop(uint32_t& message) { return ring_.Pop(message); }
    bool Empty() const { return ring_.Empty(); }
    uint64_t refused() const { return refused_.load(std::memory_order_relaxed); }

private:
    const Clock& clock_;
    const MidiInputGate& gate_;
    Wakeup& wake_;
    uint32_t openedAt_ = 0;
    MidiByteParser parser_;
    SpscRing<uint32_t> ring_{kSize};
    std::atomic<uint64_t> refused_{0};
};

}  // namespace tamberline
