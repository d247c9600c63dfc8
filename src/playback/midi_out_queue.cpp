#include "playback/run_ports.h"

namespace tamberline {

bool MidiOutQueue::Queue(std::span<const uint32_t> messages) {
    {
        std::lock_guard<std::mutex> lock(writers_);
        if (!ring_.HasRoom(messages.size())) {
            refused_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        for (uint32_t message : messages) {
            ring_.Push(message);
        }
    }
    Interrupt();
    return true;
}

void MidiOutQueue::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(wakeLock_);
    wake_.wait_for(lock, timeout, [this] { return woken_; });
    woken_ = false;
}

void MidiOutQueue::Interrupt() {
    {
        std::lock_guard<std::mutex> lock(wakeLock_);
        woken_ = true;
    }
    wake_.notify_one();
}

}  // namespace tamberline
