#include "triggers/midi/midi_input_queue.h"

namespace tamberline {

MidiInputQueue::MidiInputQueue(const Clock& clock, const MidiInputGate& gate, Wakeup& wake)
    : clock_(clock), gate_(gate), wake_(wake) {}

void MidiInputQueue::OnMidiEvent(const uint8_t* bytes, size_t size) noexcept {
    if (!gate_.accept.load(std::memory_order_acquire) ||
        clock_.TickCount() - openedAt_ < kSettleMs) {
        return;
    }
    const bool ltcLocked = gate_.ltcLocked && gate_.ltcLocked->load(std::memory_order_relaxed);
    bool queued = false;
    parser_.Feed(bytes, size, [&](uint32_t message) {
        if (!KeepIncoming(message, ltcLocked)) {
            return;
        }
        if (ring_.Push(message)) {
            queued = true;
        } else {
            refused_.fetch_add(1, std::memory_order_relaxed);
        }
    });
    if (queued) {
        wake_.Signal();
    }
}

}  // namespace tamberline
