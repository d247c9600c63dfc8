#include "triggers/start_requests.h"

namespace tamberline {

StartRequests::StartRequests(ControlThread& control, StartTarget& target)
    : control_(control), target_(target) {
    armed_.fill(true);
}

void StartRequests::Request(int button) {
    if (button < 0 || button >= kButtons) {
        return;
    }
    pending_[static_cast<size_t>(button)].store(1);
    gate_.store(true);
    Signal();
}

bool StartRequests::IsPending(int button) const {
    return button >= 0 && button < kButtons && pending_[static_cast<size_t>(button)].load() != 0;
}

bool StartRequests::IsArmed(int group) const {
    return group >= 1 && group <= kStartGroupCount && armed_[static_cast<size_t>(group)];
}

void StartRequests::Signal() {
    if (!signalled_.exchange(true)) {
        control_.Post([this] { Pass(); });
    }
}

void StartRequests::StartGroupMembers(int group, int startedButton) {
    if (!IsArmed(group)) {
        return;
    }
    armed_[static_cast<size_t>(group)] = false;
    for (int i = 0; i < kButtons; ++i) {
        if (i != startedButton && target_.StartGroupOf(i) == group) {
            pending_[static_cast<size_t>(i)].store(1);
        }
    }
    // Members below the started button are behind this pass: they need one
    // more. The group re-arms only once all of them have started.
    Signal();
}

bool StartRequests::GroupHasPending(int group) const {
    for (int i = 0; i < kButtons; ++i) {
        if (pending_[static_cast<size_t>(i)].load() && target_.StartGroupOf(i) == group) {
            return true;
        }
    }
    return false;
}

void StartRequests::Pass() {
    signalled_.store(false);
    int lastGroup = 0;
    for (int i = 0; i < kButtons; ++i) {
        auto& pending = pending_[static_cast<size_t>(i)];
        if (pending.load() && gate_.load()) {
            pending.store(0);
            target_.StartButton(i);
            lastGroup = target_.StartGroupOf(i);
        }
    }
    if (lastGroup != 0 && !GroupHasPending(lastGroup)) {
        armed_[static_cast<size_t>(lastGroup)] = true;
    }
    gate_.store(true);
}

}  // namespace tamberline
