#pragma once

#include <cstdint>
#include <string>

#include "app/clock.h"

namespace tamberline {

// What the 10 ms tick drives in the rest of the program. Each pass is a
// hook so that timecode, devices and the clock triggers plug in. Fades,
// clocks and end of play run on the control thread's own tick, so that a
// busy window never holds them up.
class TickHooks {
public:
    virtual ~TickHooks() = default;
    virtual bool IsLinkedMaster() const { return false; }
    virtual bool TimecodeTriggersEnabled() const { return false; }
    virtual bool TimeOfDayTriggersEnabled() const { return false; }
    virtual void FireTimecodeTriggers() {}
    virtual void HardwareCheck() {}
    virtual void ClearTimecodeDisplay() {}
    virtual void FireTimeOfDayTriggers(int /*secondOfDay*/) {}
    virtual void PositionTimecodeCursor() {}
    virtual void ShowClock(const std::string& /*text*/) {}
};

// The main tick: timecode triggers on every second tick, device,
// timecode-loss and time-of-day work every 500 ms. Passes are timed by
// steady-clock differences, so a late timer never runs a pass twice.
class MainTick {
public:
    MainTick(const Clock& clock, TickHooks& hooks);

    void Run();

    void SetEnabled(bool enabled) { tickEnabled_ = enabled; }
    bool enabled() const { return tickEnabled_; }
    void SetStartupComplete() { startupComplete_ = true; }
    bool startupComplete() const { return startupComplete_; }

    // A device arrived or left; the check runs about 2.5 s after the last one.
    void NoteDeviceChange(bool outputsBuilt);
    // A timecode frame arrived from the LTC reader or as MIDI timecode.
    void NoteLtcFrame();
    void NoteMtcFrame();
    bool ltcReceiving() const { return ltc_.receiving; }
    bool mtcReceiving() const { return mtc_.receiving; }

    int secondOfDay() const { return secondOfDay_; }
    // Forces the next slow pass to resynchronise the time of day.
    void ForceClockRedraw() { lastSecond_ = -2; }

private:
    struct TimecodeWatch {
        bool receiving = false;
        int silentPasses = 0;
    };

    void SlowPass();
    void CheckTimecodeLoss(TimecodeWatch& watch);
    void TimeOfDay();

    const Clock& clock_;
    TickHooks& hooks_;
    bool tickEnabled_ = false;
    bool startupComplete_ = false;
    bool oddTick_ = false;
    uint32_t lastSlowTick_;
    bool hardwareCheckPending_ = false;
    uint32_t hardwareCheckCount_ = 0;
    TimecodeWatch ltc_;
    TimecodeWatch mtc_;
    int lastSecond_ = -2;
    int secondOfDay_ = 0;
};

}  // namespace tamberline
