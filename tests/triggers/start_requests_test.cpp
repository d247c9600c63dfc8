#include "triggers/start_requests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace tamberline {
namespace {

// Records the starts and, like a real start, asks for its start group.
class RecordingTarget : public StartTarget {
public:
    std::vector<int> started;
    std::map<int, int> groups;
    StartRequests* requests = nullptr;
    std::function<void(int)> onStart;

    void StartButton(int button) override {
        started.push_back(button);
        if (onStart) {
            onStart(button);
        }
        const int group = StartGroupOf(button);
        if (group != 0) {
            requests->StartGroupMembers(group, button);
        }
    }
    int StartGroupOf(int button) const override {
        const auto it = groups.find(button);
        return it == groups.end() ? 0 : it->second;
    }
};

class StartRequestsTest : public ::testing::Test {
protected:
    void SetUp() override { target_.requests = &requests_; }
    // Queue requests behind a blocked control thread so they meet in one pass.
    void RequestTogether(const std::vector<int>& buttons) {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        control_.Post([released] { released.wait(); });
        for (int b : buttons) {
            requests_.Request(b);
        }
        release.set_value();
        control_.Drain();
    }

    ControlThread control_;
    RecordingTarget target_;
    StartRequests requests_{control_, target_};
};

TEST_F(StartRequestsTest, OnePassStartsRequestsInAscendingOrder) {
    RequestTogether({200, 3, 41, 3});
    EXPECT_EQ(target_.started, (std::vector<int>{3, 41, 200}));
    EXPECT_FALSE(requests_.IsPending(3));
}

TEST_F(StartRequestsTest, OutOfRangeRequestsAreIgnored) {
    RequestTogether({-1, 336, 5});
    EXPECT_EQ(target_.started, (std::vector<int>{5}));
}

TEST_F(StartRequestsTest, StartGroupStartsEveryMemberOnceAndRearms) {
    target_.groups = {{2, 4}, {7, 4}, {30, 4}, {9, 5}};
    requests_.Request(7);
    control_.Drain();
    control_.Drain();
    std::vector<int> sorted = target_.started;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{2, 7, 30}));
    EXPECT_EQ(target_.started.front(), 7);
    EXPECT_TRUE(requests_.IsArmed(4));
    EXPECT_TRUE(requests_.IsArmed(5));

    // Armed again: the next press starts the whole group once more.
    target_.started.clear();
    requests_.Request(30);
    control_.Drain();
    control_.Drain();
    EXPECT_EQ(target_.started.size(), 3u);
}

TEST_F(StartRequestsTest, ClosedGateLeavesSkippedRequestsPending) {
    target_.onStart = [this](int button) {
        if (button == 10) {
            requests_.StopAll({});  // stop all pressed while the pass runs
        }
    };
    RequestTogether({10, 20, 30});
    EXPECT_EQ(target_.started, (std::vector<int>{10}));
    EXPECT_TRUE(requests_.IsPending(20));
    EXPECT_TRUE(requests_.IsPending(30));

    target_.onStart = nullptr;
    requests_.Request(5);
    control_.Drain();
    EXPECT_EQ(target_.started, (std::vector<int>{10, 5, 20, 30}));
}

TEST_F(StartRequestsTest, OneTriggerStartsItsButtonsInOnePass) {
    const std::vector<int> buttons{200, 3};
    requests_.Request(buttons);
    control_.Drain();
    EXPECT_EQ(target_.started, (std::vector<int>{3, 200}));
}

// Start groups outside 1..16 (from a damaged session) are no group at all.
TEST_F(StartRequestsTest, StartGroupOutOfRangeIsNoGroup) {
    target_.groups = {{7, 17}, {9, 17}, {11, 255}};
    RequestTogether({7, 11});
    control_.Drain();
    EXPECT_EQ(target_.started, (std::vector<int>{7, 11}));
    EXPECT_FALSE(requests_.IsArmed(17));
}

TEST_F(StartRequestsTest, EveryGroupStartedInAPassIsArmedAgain) {
    target_.groups = {{10, 1}, {50, 1}, {20, 2}, {60, 2}};
    RequestTogether({10, 20});
    control_.Drain();
    EXPECT_EQ(target_.started, (std::vector<int>{10, 20, 50, 60}));
    EXPECT_TRUE(requests_.IsArmed(1));
    EXPECT_TRUE(requests_.IsArmed(2));

    target_.started.clear();
    requests_.Request(50);
    control_.Drain();
    control_.Drain();
    EXPECT_EQ(target_.started, (std::vector<int>{50, 10}));
}

// Escape while the leader is still starting: the members below it, which
// a further pass would start, stay pending until the next trigger.
TEST_F(StartRequestsTest, StopAllDuringALeaderStartKeepsItsMembersWaiting) {
    target_.groups = {{2, 4}, {7, 4}, {30, 4}};
    target_.onStart = [this](int button) {
        if (button == 7) {
            requests_.StopAll({});
        }
    };
    requests_.Request(7);
    for (int k = 0; k < 4; ++k) {
        control_.Drain();
    }
    EXPECT_EQ(target_.started, (std::vector<int>{7}));
    EXPECT_TRUE(requests_.IsPending(2));
    EXPECT_TRUE(requests_.IsPending(30));
    EXPECT_FALSE(requests_.IsArmed(4));

    // A new session starts with every group armed and nothing pending.
    control_.Post([this] { requests_.Reset(); });
    control_.Drain();
    EXPECT_FALSE(requests_.IsPending(2));
    EXPECT_TRUE(requests_.IsArmed(4));
}

// A request waits for every command made before it, even when a signal of
// its own kind is still queued ahead of those commands.
TEST_F(StartRequestsTest, ARequestAfterAnotherCommandDoesNotJoinAnEarlierSignal) {
    std::vector<std::string> events;
    target_.onStart = [&events](int button) {
        events.push_back("start " + std::to_string(button));
    };
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    control_.Post([released] { released.wait(); });
    requests_.Request(9);
    control_.Post([&events] { events.push_back("release 9"); });
    requests_.Request(9);
    release.set_value();
    control_.Drain();
    EXPECT_EQ(events, (std::vector<std::string>{"start 9", "release 9", "start 9"}));
}

TEST_F(StartRequestsTest, FloodFromManyThreadsStartsEachRequestedButton) {
    std::vector<std::thread> triggers;
    for (int t = 0; t < 4; ++t) {
        triggers.emplace_back([this, t] {
            for (int i = 0; i < 84; ++i) {
                requests_.Request(t * 84 + i);
            }
        });
    }
    for (auto& thread : triggers) {
        thread.join();
    }
    control_.Drain();
    control_.Drain();
    std::vector<int> sorted = target_.started;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted.size(), 336u);
    for (int i = 0; i < 336; ++i) {
        EXPECT_EQ(sorted[static_cast<size_t>(i)], i);
    }
}

}  // namespace
}  // namespace tamberline
