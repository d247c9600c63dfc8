#pragma once

#include <chrono>
#include <cstdint>

namespace tamberline {

// Tells a device that stopped calling back: its callback count has not moved
// for longer than a working device ever pauses. The owner serialises calls.
class CallbackWatch {
public:
    static constexpr std::chrono::milliseconds kSilenceLimit{1500};

    void Restart() {
        lastCallbacks_ = 0;
        lastProgress_ = std::chrono::steady_clock::now();
    }

    // `callbacks`: the device's count of callbacks so far.
    bool Silent(uint64_t callbacks) {
        const auto now = std::chrono::steady_clock::now();
        if (callbacks != lastCallbacks_) {
            lastCallbacks_ = callbacks;
            lastProgress_ = now;
        }
        return now - lastProgress_ > kSilenceLimit;
    }

private:
    uint64_t lastCallbacks_ = 0;
    std::chrono::steady_clock::time_point lastProgress_ = std::chrono::steady_clock::now();
};

}  // namespace tamberline
