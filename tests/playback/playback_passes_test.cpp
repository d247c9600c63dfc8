#include "playback/playback_passes.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamberline {
namespace {

struct Step {
    uint32_t advanceMs;
    uint32_t fadeElapsed;
    std::optional<uint32_t> clockElapsed;
};

TEST(PlaybackPassesTest, FadesTakeTheMeasuredTimeAndClocksRunAfterMoreThan100Ms) {
    const Step steps[] = {
        {10, 10, {}},     //
        {37, 37, {}},     // a late tick: the fade gets the real time
        {53, 53, {}},     // exactly 100 ms since the last clock pass: not yet
        {10, 10, 110},    //
        {450, 450, 450},  // one tick 450 ms late: one clock pass, not four
        {10, 10, {}},     //
    };
    uint32_t now = 0xFFFFFF00u;  // across the 32-bit wrap
    PlaybackPasses passes(now);
    for (const Step& step : steps) {
        now += step.advanceMs;
        const PlaybackPasses::Due due = passes.Next(now);
        EXPECT_EQ(due.fadeElapsedMs, step.fadeElapsed) << step.advanceMs;
        EXPECT_EQ(due.clockElapsedMs, step.clockElapsed) << step.advanceMs;
    }
}

}  // namespace
}  // namespace tamberline
