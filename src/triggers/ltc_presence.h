#pragma once

#include <atomic>

namespace tamberline {

// What the LTC reader tells MIDI: whether an LTC signal is present (MIDI
// timecode is ignored then) and locked (quarter frames are not even
// queued). The signal counts as lost after more than three 500 ms checks
// without a frame, locked or not, and is gone when the reader is switched
// off, so MIDI timecode is never shut out by a reader that went quiet.
class LtcPresence {
public:
    // The reader, on each decoded frame.
    void NoteFrame() {
        lossChecks_.store(0);
        present_.store(true);
    }
    void SetLocked(bool locked) { locked_.store(locked); }
    void ReaderDisabled() {
        locked_.store(false);
        present_.store(false);
    }
    // Every 500 ms.
    void LossCheck() {
        if (present_.load() && lossChecks_.fetch_add(1) + 1 > kLostChecks) {
            lossChecks_.store(0);
            ReaderDisabled();
        }
    }

    const std::atomic<bool>& present() const { return present_; }
    const std::atomic<bool>& locked() const { return locked_; }

private:
    static constexpr int kLostChecks = 3;
    std::atomic<bool> present_{false};
    std::atomic<bool> locked_{false};
    std::atomic<int> lossChecks_{0};
};

}  // namespace tamberline
