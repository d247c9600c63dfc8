#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/console_part.h"
#include "base/day_clock.h"

namespace tamberline {

// The main tick: every part's tick work on each 10 ms tick; device,
// timecode-loss and time-of-day work every 500 ms. Passes are timed by
// steady-clock differences, so a late timer never runs a pass twice.
// Fades, clocks and end of play run on the control thread's own tick, so
// that a busy window never holds them up.
class MainTick {
public:
    using ShowClockFn = std::function<void(const std::string&)>;

    MainTick(const Clock& clock, const std::vector<ConsolePart*>& parts, ShowClockFn showClock);

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

    int secondOfDay() const { return dayClock_.secondOfDay(); }
    // Forces the next slow pass to resynchronise the time of day.
    void ForceClockRedraw() { dayClock_.Resync(); }

private:
    struct TimecodeWatch {
        bool receiving = false;
        int silentPasses = 0;
    };

    void SlowPass();
    void CheckTimecodeLoss(TimecodeWatch& watch);
    void TimeOfDay();

    const Clock& clock_;
    const std::vector<ConsolePart*>& parts_;
    ShowClockFn showClock_;
    bool tickEnabled_ = false;
    bool startupComplete_ = false;
    bool oddTick_ = false;
    uint32_t lastSlowTick_;
    bool hardwareCheckPending_ = false;
    bool inHardwareCheck_ = false;
    uint32_t hardwareCheckCount_ = 0;
    TimecodeWatch ltc_;
    TimecodeWatch mtc_;
    DayClock dayClock_;
};

}  // namespace tamberline
