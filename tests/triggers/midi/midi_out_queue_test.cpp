// The MIDI-out queue with several writers at once, as run control, the
// P-Bus reader and the network may write it.

#include <gtest/gtest.h>

#include <thread>

#include "playback/run_ports.h"

namespace tamberline {
namespace {

TEST(MidiOutQueueTest, BatchesFromManyWritersArriveWholeOrAreRefusedAndCounted) {
    constexpr uint32_t kWriters = 4;
    constexpr uint32_t kBatches = 2000;
    constexpr uint32_t kBatch = 16;
    MidiOutQueue queue;
    std::atomic<uint64_t> refused{0};
    std::atomic<int> writing{kWriters};
    std::vector<std::thread> writers;
    for (uint32_t w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            std::array<uint32_t, kBatch> batch{};
            for (uint32_t b = 0; b < kBatches; ++b) {
                for (uint32_t i = 0; i < kBatch; ++i) {
                    batch[i] = w << 24 | b << 8 | i;
                }
                if (!queue.Queue(batch)) {
                    ++refused;
                }
            }
            --writing;
        });
    }
    std::vector<uint32_t> got;
    uint32_t message = 0;
    while (writing.load() > 0) {
        if (queue.Pop(message)) {
            got.push_back(message);
        }
    }
    for (std::thread& t : writers) {
        t.join();
    }
    while (queue.Pop(message)) {
        got.push_back(message);
    }
    EXPECT_EQ(queue.refused(), refused.load());
    ASSERT_EQ(got.size(), (kWriters * kBatches - refused.load()) * kBatch);
    std::vector<int64_t> lastBatch(kWriters, -1);
    for (size_t at = 0; at < got.size(); at += kBatch) {
        const uint32_t writer = got[at] >> 24;
        const uint32_t batch = (got[at] >> 8) & 0xFFFF;
        ASSERT_LT(writer, kWriters);
        for (uint32_t i = 0; i < kBatch; ++i) {
            ASSERT_EQ(got[at + i], writer << 24 | batch << 8 | i) << "a batch was split at " << at;
        }
        EXPECT_GT(static_cast<int64_t>(batch), lastBatch[writer]);
        lastBatch[writer] = batch;
    }
}

}  // namespace
}  // namespace tamberline
