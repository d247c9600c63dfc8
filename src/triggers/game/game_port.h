#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "triggers/game/game_triggers.h"

namespace tamberline {

// The game controllers as one trigger port, read through SDL's joystick
// API on a thread of our own: up to eight controllers in SDL's order, the
// first 16 buttons of each. A controller that goes away lets go of the
// buttons held on it and keeps its slot, so that it is taken back when it
// returns; until then the port counts as having lost it.
class GamePort {
public:
    struct Handlers {
        GameTarget* target = nullptr;
        // Any thread, never waits: status field 18.
        std::function<void(int field, const std::string& text)> status;
        // Controller thread: a controller arrived or left.
        std::function<void()> deviceChanged;
    };

    explicit GamePort(Handlers handlers);
    ~GamePort();
    GamePort(const GamePort&) = delete;
    GamePort& operator=(const GamePort&) = delete;

    // False when no controller is attached; the port stays closed.
    bool Open();
    void Close();
    bool IsOpen() const { return thread_.joinable(); }
    // Whether a controller taken at opening is missing now.
    bool ConnectionLost() const { return lostSlots_.load() != 0; }
    int controllers() const { return controllers_.load(); }

private:
    void Run();

    Handlers handlers_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> opened_{0};  // 0 opening, 1 ready, -1 none found
    std::atomic<int> controllers_{0};
    std::atomic<uint32_t> lostSlots_{0};
};

}  // namespace tamberline
