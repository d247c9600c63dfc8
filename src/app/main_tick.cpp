#include "app/main_tick.h"

#include <cstdio>
#include <utility>

namespace tamberline {

namespace {
constexpr uint32_t kSlowPassMs = 500;
constexpr uint32_t kHardwareCheckPasses = 4;
constexpr int kTimecodeLostPasses = 3;
}  // namespace

MainTick::MainTick(const Clock& clock, const std::vector<ConsolePart*>& parts,
                   ShowClockFn showClock)
    : clock_(clock),
      parts_(parts),
      showClock_(std::move(showClock)),
      lastSlowTick_(clock.TickCount()) {}

void MainTick::Run() {
    if (!tickEnabled_) {
        return;
    }
    oddTick_ = !oddTick_;
    const TickState state{oddTick_, startupComplete_, ltc_.receiving, mtc_.receiving};
    for (ConsolePart* part : parts_) {
        part->Tick(state);
    }

    const uint32_t now = clock_.TickCount();
    if (now - lastSlowTick_ > kSlowPassMs) {
        lastSlowTick_ = now;
        SlowPass();
    }
}

void MainTick::SlowPass() {
    // A check asks and tells the operator in modal boxes, while this tick
    // goes on: one that comes due meanwhile waits for the next pass.
    if (hardwareCheckPending_ && !inHardwareCheck_ &&
        ++hardwareCheckCount_ > kHardwareCheckPasses) {
        hardwareCheckPending_ = false;
        hardwareCheckCount_ = 0;
        inHardwareCheck_ = true;
        for (ConsolePart* part : parts_) {
            part->HardwareCheck();
        }
        inHardwareCheck_ = false;
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
        for (ConsolePart* part : parts_) {
            part->TimecodeLost();
        }
        dayClock_.Resync();
    }
}

void MainTick::TimeOfDay() {
    const LocalTimeOfDay t = clock_.LocalTime();
    // Anything but the next second of the day is a jump: the triggers are
    // placed again rather than every skipped second fired.
    const DayClock::Step step = dayClock_.Next(t);
    if (!step.newSecond) {
        return;
    }
    for (ConsolePart* part : parts_) {
        part->ClockSecond(step.secondOfDay, step.jumped);
    }
    char text[16];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d ", t.hour, t.minute, t.second);
    if (showClock_) {
        showClock_(text);
    }
}

void MainTick::NoteDeviceChange(bool outputsBuilt) {
    // Changes while the outputs are being built are theirs to see.
    hardwareCheckPending_ = outputsBuilt;
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
