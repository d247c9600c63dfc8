#include "playback/sound/voice_ring.h"

#include <sys/mman.h>

namespace tamberline::sound {

namespace {
uint64_t PowerOfTwo(uint64_t n) {
    uint64_t size = 1;
    while (size < n) {
        size <<= 1;
    }
    return size;
}
}  // namespace

void VoiceRing::Prepare(int channels, uint64_t capacityFrames, uint64_t markCapacity) {
    capacity = PowerOfTwo(capacityFrames);
    frameMask = capacity - 1;
    channelCount = channels;
    const size_t sampleCount = static_cast<size_t>(capacity) * static_cast<size_t>(channels);
    if (samples.size() < sampleCount) {
        samples.assign(sampleCount, 0.0f);
        // Kept in memory where the system allows: a page fault in the audio
        // callback is a wait for the disk. Without the right it is paged as usual.
        ::mlock(samples.data(), samples.size() * sizeof(float));
    }
    const uint64_t markSize = PowerOfTwo(markCapacity);
    if (marks.size() != markSize) {
        marks.assign(markSize, RunMark{});
    }
    markMask = markSize - 1;
    written.store(0, std::memory_order_relaxed);
    taken.store(0, std::memory_order_relaxed);
    marksWritten.store(0, std::memory_order_relaxed);
    marksFreed.store(0, std::memory_order_relaxed);
    heard.store(0, std::memory_order_relaxed);
    endedGeneration.store(0, std::memory_order_relaxed);
    underruns.store(0, std::memory_order_relaxed);
    readFailed.store(false, std::memory_order_relaxed);
}

}  // namespace tamberline::sound
