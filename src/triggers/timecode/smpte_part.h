#pragma once

#include <functional>

#include "base/console_part.h"

namespace tamberline {

class LtcPresence;
class SmpteReader;
class TimecodeEngine;

// The SMPTE reader and the timecode triggers as the console sees them: the
// device list at start-up, the triggers' ticker from when run control runs,
// the reader following its device when hardware changes, and LTC arriving
// keeping the console's clock display quiet.
class SmptePart final : public ConsolePart {
public:
    // `switchOn` switches the SMPTE port on through the port switches.
    SmptePart(SmpteReader& reader, TimecodeEngine& engine, LtcPresence& presence,
              std::function<void()> noteLtcFrame, std::function<void()> switchOn)
        : reader_(reader),
          engine_(engine),
          presence_(presence),
          noteLtcFrame_(std::move(noteLtcFrame)),
          switchOn_(std::move(switchOn)) {}

    bool Start(StartStep step) override;
    void Teardown(TeardownStep step) override;
    void Tick(const TickState& state) override;
    void HardwareCheck() override;

private:
    SmpteReader& reader_;
    TimecodeEngine& engine_;
    LtcPresence& presence_;
    std::function<void()> noteLtcFrame_;
    std::function<void()> switchOn_;
};

}  // namespace tamberline
