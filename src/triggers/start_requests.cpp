#include "triggers/start_requests.h"

namespace tamberline {

namespace {

bool ValidGroup(int group) {
    return group >= 1 && group <= kStartGroupCount;
}

}  // namespace

StartRequests::StartRequests(ControlThread& control, StartTarget& target)
    : control_(control), target_(target) {
    armed_.fill(true);
}

void StartRequests::Request(std::span<const int> buttons) {
    std::lock_guard lock(mutex_);
    // A signal still queued and posted last takes these too; once anything
    // was posted after it, these must wait for that, so they get their own.
    const bool join = signal_ && control_.LastPosted() == signalPlace_;
    std::shared_ptr<Marks> marks = join ? signal_ : std::make_shared<Marks>();
    bool any = false;
    for (int button : buttons) {
        if (button >= 0 && button < kButtons) {
            marks->set(static_cast<size_t>(button));
            any = true;
        }
    }
    if (!any || join) {
        return;
    }
    signal_ = marks;
    signalPlace_ = control_.Post([this, marks] { TakeSignal(marks); });
}

void StartRequests::StopAll(ControlThread::Command stopAll) {
    ++closed_;
    ++stopAlls_;
    control_.Post([this, stopAll = std::move(stopAll)] {
        if (stopAll) {
            stopAll();
        }
        --closed_;
    });
}

bool StartRequests::IsPending(int button) const {
    if (button < 0 || button >= kButtons) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return pending_.test(static_cast<size_t>(button)) ||
           (signal_ && signal_->test(static_cast<size_t>(button)));
}

bool StartRequests::IsArmed(int group) const {
    return ValidGroup(group) && armed_[static_cast<size_t>(group)];
}

void StartRequests::Reset() {
    pending_.reset();
    armed_.fill(true);
}

void StartRequests::TakeSignal(const std::shared_ptr<Marks>& marks) {
    {
        std::lock_guard lock(mutex_);
        if (signal_ == marks) {
            signal_.reset();
        }
        pending_ |= *marks;
    }
    Pass();
}

void StartRequests::StartGroupMembers(int group, int startedButton) {
    if (!IsArmed(group)) {
        return;
    }
    armed_[static_cast<size_t>(group)] = false;
    for (int i = 0; i < kButtons; ++i) {
        if (i != startedButton && target_.StartGroupOf(i) == group) {
            pending_.set(static_cast<size_t>(i));
        }
    }
    // Members below the started button are behind this pass: one more pass
    // starts them, unless a stop-all came since this start began (the gate
    // is still closed) or comes before that pass (the count moved on).
    if (followUpPosted_ || !GateOpen()) {
        return;
    }
    const uint32_t stops = stopAlls_.load();
    followUpPosted_ = true;
    control_.Post([this, stops] {
        followUpPosted_ = false;
        if (stopAlls_.load() == stops) {
            Pass();
        }
    });
}

void StartRequests::Pass() {
    for (int i = 0; i < kButtons; ++i) {
        if (pending_.test(static_cast<size_t>(i)) && GateOpen()) {
            pending_.reset(static_cast<size_t>(i));
            target_.StartButton(i);
        }
    }
    ReArm();
}

// Every disarmed group whose members have all started is armed again.
void StartRequests::ReArm() {
    std::bitset<kStartGroupCount + 1> waiting;
    for (int i = 0; i < kButtons; ++i) {
        const int group = target_.StartGroupOf(i);
        if (pending_.test(static_cast<size_t>(i)) && ValidGroup(group)) {
            waiting.set(static_cast<size_t>(group));
        }
    }
    for (int group = 1; group <= kStartGroupCount; ++group) {
        if (!waiting.test(static_cast<size_t>(group))) {
            armed_[static_cast<size_t>(group)] = true;
        }
    }
}

}  // namespace tamberline
