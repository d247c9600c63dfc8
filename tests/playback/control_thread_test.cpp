#include "playback/control_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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

TEST(ControlThreadTickTest, TicksRunOnTheControlThreadWhileOtherThreadsPostNothing) {
    ControlThread control;
    std::atomic<int> ticks{0};
    std::atomic<bool> onControl{true};
    control.Drain();  // the thread now waits with no tick: setting one must wake it
    control.SetTick(std::chrono::milliseconds(10), [&] {
        ++ticks;
        onControl = onControl && control.IsCurrent();
    });
    // This thread stands for a blocked GUI: it posts nothing while ticks run.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ticks.load() < 5 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(ticks.load(), 5);
    EXPECT_TRUE(onControl);
    // Commands still run between ticks, in order.
    std::vector<int> order;
    for (int i = 0; i < 50; ++i) {
        control.Post([&order, i] { order.push_back(i); });
    }
    control.Drain();
    ASSERT_EQ(order.size(), 50u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    control.SetTick(std::chrono::milliseconds(10), {});
    control.Drain();
    const int stopped = ticks.load();
    control.Drain();
    EXPECT_EQ(ticks.load(), stopped) << "an empty tick ends the ticking";
}

}  // namespace
}  // namespace tamberline
