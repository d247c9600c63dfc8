#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamberline {

// The program's one lock-free ring: one producer thread, one consumer
// thread, bounded. Neither side ever blocks or allocates after
// construction, so the audio callback and port threads may use it.
template <typename T>
class SpscRing {
public:
    // Capacity is rounded up to a power of two.
    explicit SpscRing(size_t capacity) : slots_(RoundUp(capacity)), mask_(slots_.size() - 1) {}

    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    // Producer: false when full.
    bool Push(const T& item) {
        const uint64_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) >= slots_.size()) {
            return false;
        }
        slots_[tail & mask_] = item;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Producer: room for `count` more items.
    bool HasRoom(size_t count) const {
        return tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire) +
                   count <=
               slots_.size();
    }

    // True when the consumer has taken everything pushed so far.
    bool Empty() const {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

    // Consumer: false when empty.
    bool Pop(T& item) {
        const uint64_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) {
            return false;
        }
        item = slots_[head & mask_];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    static size_t RoundUp(size_t n) {
        size_t size = 1;
        while (size < n) {
            size <<= 1;
        }
        return size;
    }

    std::vector<T> slots_;
    const uint64_t mask_;
    alignas(64) std::atomic<uint64_t> head_{0};
    alignas(64) std::atomic<uint64_t> tail_{0};
};

}  // namespace tamberline
