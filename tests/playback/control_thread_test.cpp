#include "playback/control_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace tamberline {
namespace {

TEST(ControlThreadTest, CommandsFromOneThreadRunInOrderOnTheControlThread) {
    ControlThread control;
    std::vector<int> order;
    std::atomic<bool> onControl{true};
    for (int i = 0; i < 100; ++i) {
        control.Post([&, i] {
            order.push_back(i);
            onControl = onControl && control.IsCurrent();
        });
    }
    control.Drain();
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<size_t>(i)], i);
    }
    EXPECT_TRUE(onControl);
}

TEST(ControlThreadTest, EachPosterKeepsItsOwnOrderUnderAFlood) {
    ControlThread control;
    std::vector<std::pair<int, int>> seen;
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                control.Post([&seen, t, i] { seen.emplace_back(t, i); });
            }
        });
    }
    for (auto& p : posters) {
        p.join();
    }
    control.Drain();
    std::vector<int> next(4, 0);
    for (const auto& [t, i] : seen) {
        EXPECT_EQ(i, next[static_cast<size_t>(t)]++);
    }
    EXPECT_EQ(seen.size(), 2000u);
}

TEST(ControlThreadTest, StopRunsWhatIsQueuedAndDropsLaterPosts) {
    int ran = 0;
    {
        ControlThread control;
        for (int i = 0; i < 10; ++i) {
            control.Post([&] { ++ran; });
        }
        control.Stop();
        control.Post([&] { ran += 100; });
    }
    EXPECT_EQ(ran, 10);
}

}  // namespace
}  // namespace tamberline
