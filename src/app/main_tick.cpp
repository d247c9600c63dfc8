#include "app/main_tick.h"

#include <cstdio>

namespace tamberline {

namespace {
constexpr uint32_t kSlowPassMs = 500;
constexpr uint32_t kHardwareCheckPasses = 4;
constexpr int kTimecodeLostPasses = 3;
constexpr int kSecondsPerDay = 86400;
}  // namespace

MainTick::MainTick(const Clock& clock, TickHooks& hooks)
    : clock_(clock), hooks_(hooks), lastSlowTick_(clock.TickCount()) {}

void MainTick::Run() {
    if (!tickEnabled_) {
        return;
    }
    const bool master = hooks_.IsLinkedMaster();
    oddTick_ = !oddTick_;
    if (oddTick_ && ltc_.receiving && startupComplete_ && hooks_.TimecodeTriggersEnabled() &&
        !master) {
        hooks_.FireTimecodeTriggers();
    }

    const uint32_t now = clock_.TickCount();
    if (now - lastSlowTick_ > kSlowPassMs) {
        lastSlowTick_ = now;
        SlowPass();
    }
}

void MainTick::SlowPass() {
    if (hardwareCheckPending_ && ++hardwareCheckCount_ > kHardwareCheckPasses) {
        hardwareCheckPending_ = false;
        hardwareCheckCount_ = 0;
        hooks_.HardwareCheck();
    }
    CheckTimecodeLoss(ltc_);
    CheckTimecodeLoss(mtc_);
    if (!ltc_.receiving && !mtc_.receiving && startupComplete_) {
        TimeOfDay();
    }
}

void MainTick::CheckTimecodeLoss(TimecodeWatch& watch) {
    if (watch.receiving && ++watch.silentPasses > kTimecodeLostPasses) {
        watch.receiving = false;
        watch.silentPasses = 0;
        hooks_.ClearTimecodeDisplay();
        lastSecond_ = -2;
    }
}

void MainTick::TimeOfDay() {
    const LocalTimeOfDay t = clock_.LocalTime();
    if (t.second == lastSecond_) {
        return;
    }
    const int previous = lastSecond_ == 59 ? -1 : lastSecond_;
    if (t.second - previous == 1) {
        secondOfDay_ = (secondOfDay_ + 1) % kSecondsPerDay;
        if (!hooks_.IsLinkedMaster() && hooks_.TimeOfDayTriggersEnabled()) {
            hooks_.FireTimeOfDayTriggers(secondOfDay_);
        }
    } else {
        // The clock jumped: place the triggers again rather than firing
        // every skipped second.
        hooks_.PositionTimecodeCursor();
        secondOfDay_ = t.second + 60 * (t.minute + 60 * t.hour);
    }
    char text[16];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d ", t.hour, t.minute, t.second);
    hooks_.ShowClock(text);
    lastSecond_ = t.second;
}

void MainTick::NoteDeviceChange(bool outputsBuilt) {
    if (outputsBuilt) {
        hardwareCheckPending_ = true;
    }
    hardwareCheckCount_ = 0;
}

void MainTick::NoteLtcFrame() {
    ltc_.receiving = true;
    ltc_.silentPasses = 0;
}

void MainTick::NoteMtcFrame() {
    mtc_.receiving = true;
    mtc_.silentPasses = 0;
}

}  // namespace tamberline
