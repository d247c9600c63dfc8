#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

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

// Start requests from any trigger: a pending flag per button, a gate, and a
// signal that makes the control thread run one pass over all buttons in
// ascending order. Requests made while a signal is outstanding share it, as
// an auto-reset event would, but only while nothing else was posted after
// that signal: a request never takes effect before a command made earlier.
class StartRequests {
public:
    static constexpr int kButtons = 336;

    StartRequests(ControlThread& control, StartTarget& target);

    // Any thread. One trigger's buttons: all are marked before the one
    // signal, so they start in one pass.
    void Request(std::span<const int> buttons);
    void Request(int button) { Request(std::span<const int>(&button, 1)); }
    // Any thread. Closes the gate at once, so a pass under way starts no
    // further button, then posts `stopAll`; the gate opens again once it
    // has run. The requests skipped stay pending for the next signal.
    void StopAll(ControlThread::Command stopAll);
    // Control thread (or any thread while it is idle).
    bool IsPending(int button) const;

    // Control thread, from a start: when group n is armed, disarm it and
    // request every other member.
    void StartGroupMembers(int group, int startedButton);
    bool IsArmed(int group) const;
    // Control thread: a new session; every group armed, nothing pending.
    void Reset();

private:
    using Marks = std::bitset<kButtons>;

    void TakeSignal(const std::shared_ptr<Marks>& marks);
    void Pass();
    void ReArm();
    bool GateOpen() const { return closed_.load() == 0; }

    ControlThread& control_;
    StartTarget& target_;
    mutable std::mutex mutex_;       // guards the signal not yet taken
    std::shared_ptr<Marks> signal_;  // its requests; null when none is queued
    uint64_t signalPlace_ = 0;       // where it was posted
    std::atomic<int> closed_{0};     // stop-alls closed the gate and not yet run
    std::atomic<uint32_t> stopAlls_{0};
    Marks pending_;                                 // control thread only
    bool followUpPosted_ = false;                   // control thread only
    std::array<bool, kStartGroupCount + 1> armed_;  // control thread only
};

}  // namespace tamberline
