#include "triggers/game/game_port.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "support/scripted_message_box.h"
#include "triggers/game/game_port_part.h"

namespace tamberline::testing {
namespace {

using Trigger = std::pair<int, bool>;

class RecordingTarget final : public GameTarget {
public:
    void Trigger(int id, bool pressed) override {
        std::lock_guard<std::mutex> lock(mutex_);
        triggers_.emplace_back(id, pressed);
    }
    std::vector<::tamberline::testing::Trigger> triggers() {
        std::lock_guard<std::mutex> lock(mutex_);
        return triggers_;
    }

private:
    std::mutex mutex_;
    std::vector<::tamberline::testing::Trigger> triggers_;
};

// Virtual controllers on SDL, headless: the test holds its own handle of
// each to set its buttons.
class GamePortTest : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    }
    void TearDown() override {
        port_.Close();
        for (SDL_Joystick* joystick : sticks_) {
            if (joystick) {
                SDL_JoystickClose(joystick);
            }
        }
        SDL_Quit();
    }

    // A controller with `buttons` buttons; its index among the test's.
    int Attach(int buttons) {
        const int device =
            SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 0, buttons, 0);
        EXPECT_GE(device, 0) << SDL_GetError();
        sticks_.push_back(SDL_JoystickOpen(device));
        EXPECT_NE(sticks_.back(), nullptr);
        return static_cast<int>(sticks_.size()) - 1;
    }
    void Detach(int stick) {
        const SDL_JoystickID id = SDL_JoystickInstanceID(sticks_[static_cast<size_t>(stick)]);
        SDL_JoystickClose(sticks_[static_cast<size_t>(stick)]);
        sticks_[static_cast<size_t>(stick)] = nullptr;
        for (int device = 0; device < SDL_NumJoysticks(); ++device) {
            if (SDL_JoystickGetDeviceInstanceID(device) == id) {
                SDL_JoystickDetachVirtual(device);
            }
        }
    }
    void Set(int stick, int button, bool down) {
        SDL_JoystickSetVirtualButton(sticks_[static_cast<size_t>(stick)], button, down ? 1 : 0);
    }
    template <typename Done>
    bool WaitFor(Done done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }
    std::string LastStatus() {
        std::lock_guard<std::mutex> lock(statusLock_);
        return status_;
    }
    // A press after all others, to know the port has seen everything before.
    void Settle(int stick) {
        const size_t before = target_.triggers().size();
        Set(stick, 15, true);
        ASSERT_TRUE(WaitFor([&] { return target_.triggers().size() > before; }));
    }

    std::vector<SDL_Joystick*> sticks_;
    RecordingTarget target_;
    std::mutex statusLock_;
    std::string status_;
    std::atomic<int> changes_{0};
    GamePort port_{GamePort::Handlers{&target_,
                                      [this](int field, const std::string& text) {
                                          std::lock_guard<std::mutex> lock(statusLock_);
                                          status_ = std::to_string(field) + text;
                                      },
                                      [this] { ++changes_; }}};
};

TEST_F(GamePortTest, NoControllerLeavesThePortClosed) {
    EXPECT_FALSE(port_.Open());
    EXPECT_FALSE(port_.IsOpen());
}

TEST_F(GamePortTest, SecondControllersFirstButtonIsTrigger17) {
    Attach(16);
    const int second = Attach(16);
    ASSERT_TRUE(port_.Open());
    EXPECT_EQ(port_.controllers(), 2);
    Set(second, 0, true);
    ASSERT_TRUE(WaitFor([&] { return target_.triggers().size() == 1; }));
    EXPECT_EQ(LastStatus(), "18 Last stick :  2, button 1 on ");
    Set(second, 0, false);
    ASSERT_TRUE(WaitFor([&] { return target_.triggers().size() == 2; }));
    EXPECT_EQ(LastStatus(), "18 Last stick :  2, button 1 off ");
    EXPECT_EQ(target_.triggers(), (std::vector<Trigger>{{17, true}, {17, false}}));
}

TEST_F(GamePortTest, OnlyTheFirstSixteenButtonsOfAControllerTrigger) {
    const int stick = Attach(32);
    ASSERT_TRUE(port_.Open());
    Set(stick, 16, true);
    Set(stick, 31, true);
    Set(stick, 14, true);
    ASSERT_TRUE(WaitFor([&] { return !target_.triggers().empty(); }));
    Settle(stick);
    EXPECT_EQ(target_.triggers(), (std::vector<Trigger>{{15, true}, {16, true}}));
}

TEST_F(GamePortTest, AHeldButtonFiresOnce) {
    const int stick = Attach(16);
    ASSERT_TRUE(port_.Open());
    Set(stick, 2, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Set(stick, 2, true);
    Settle(stick);
    EXPECT_EQ(target_.triggers(), (std::vector<Trigger>{{3, true}, {16, true}}));
}

TEST_F(GamePortTest, NinthControllerIsNotTaken) {
    for (int k = 0; k < 9; ++k) {
        Attach(16);
    }
    ASSERT_TRUE(port_.Open());
    EXPECT_EQ(port_.controllers(), 8);
    Set(8, 0, true);
    Set(7, 0, true);
    ASSERT_TRUE(WaitFor([&] { return !target_.triggers().empty(); }));
    Settle(7);
    EXPECT_EQ(target_.triggers(), (std::vector<Trigger>{{113, true}, {128, true}}));
}

TEST_F(GamePortTest, UnpluggedWhileHeldLetsGoAndComesBackInItsSlot) {
    Attach(16);
    const int stick = Attach(16);
    ASSERT_TRUE(port_.Open());
    Set(stick, 3, true);
    ASSERT_TRUE(WaitFor([&] { return target_.triggers().size() == 1; }));
    Detach(stick);
    ASSERT_TRUE(WaitFor([&] { return target_.triggers().size() == 2; }));
    EXPECT_EQ(target_.triggers().back(), (Trigger{20, false}));
    EXPECT_TRUE(port_.ConnectionLost());
    EXPECT_GE(changes_.load(), 1);

    const int back = Attach(16);
    ASSERT_TRUE(WaitFor([&] { return !port_.ConnectionLost(); }));
    Set(back, 3, true);
    ASSERT_TRUE(WaitFor([&] { return target_.triggers().size() == 3; }));
    EXPECT_EQ(target_.triggers().back(), (Trigger{20, true}));
}

TEST_F(GamePortTest, HardwareCheckSwitchesALostPortOffWithTheMessage) {
    const int stick = Attach(16);
    ASSERT_TRUE(port_.Open());
    ScriptedMessageBox box;
    int switchedOff = 0;
    GamePortPart part(port_, box, [&switchedOff] { ++switchedOff; });
    part.HardwareCheck();
    EXPECT_EQ(switchedOff, 0);
    Detach(stick);
    ASSERT_TRUE(WaitFor([&] { return port_.ConnectionLost(); }));
    part.HardwareCheck();
    EXPECT_EQ(switchedOff, 1);
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_EQ(box.Texts(), std::vector<std::string>{"Game port connection lost."});
}

TEST_F(GamePortTest, AThousandChangesASecondStayInStep) {
    const int stick = Attach(16);
    ASSERT_TRUE(port_.Open());
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < 1000; ++k) {
        Set(stick, 5, k % 2 == 0);
        std::this_thread::sleep_until(start + std::chrono::microseconds(1000 * (k + 1)));
    }
    Settle(stick);
    const std::vector<Trigger> seen = target_.triggers();
    ASSERT_GE(seen.size(), 3u);
    // However many changes one read saw, presses and releases alternate and
    // the button ends released.
    for (size_t k = 0; k + 1 < seen.size(); ++k) {
        EXPECT_EQ(seen[k], (Trigger{6, k % 2 == 0})) << k;
    }
    EXPECT_EQ(seen[seen.size() - 2], (Trigger{6, false}));
}

}  // namespace
}  // namespace tamberline::testing
