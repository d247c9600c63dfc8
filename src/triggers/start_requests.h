#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "playback/control_thread.h"

namespace tamberline {

inline constexpr int kStartGroupCount = 16;

// What a start pass starts.
class StartTarget {
public:
    virtual ~StartTarget() = default;
    virtual void StartButton(int button) = 0;
    virtual int StartGroupOf(int button) const = 0;  // 0 none, 1..16
};

// Start requests from any trigger: a pending byte per button, a gate, and a
// signal that makes the control thread run one pass over all buttons in
// ascending order. Requests made while a signal is outstanding share it,
// as an auto-reset event would.
class StartRequests {
public:
    static constexpr int kButtons = 336;

    StartRequests(ControlThread& control, StartTarget& target);

    // Any thread.
    void Request(int button);
    // Stop all closes the gate: a pass under way starts no further button
    // and the requests it skips stay pending for the next signal.
    void CloseGate() { gate_.store(false); }
    bool IsPending(int button) const;

    // Control thread, from a start: when group n is armed, disarm it and
    // request every other member.
    void StartGroupMembers(int group, int startedButton);
    bool IsArmed(int group) const;

private:
    void Signal();
    void Pass();
    bool GroupHasPending(int group) const;

    ControlThread& control_;
    StartTarget& target_;
    std::array<std::atomic<uint8_t>, kButtons> pending_{};
    std::atomic<bool> gate_{true};
    std::atomic<bool> signalled_{false};
    std::array<bool, kStartGroupCount + 1> armed_;  // control thread only
};

}  // namespace tamberline
