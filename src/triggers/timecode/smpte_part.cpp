#include "triggers/timecode/smpte_part.h"

#include "triggers/ltc_presence.h"
#include "triggers/timecode/smpte_reader.h"
#include "triggers/timecode/timecode_engine.h"

namespace tamberline {

bool SmptePart::Start(StartStep step) {
    switch (step) {
        case StartStep::kTimecodeSources: reader_.RefreshDevices(); break;
        case StartStep::kStartWorker: engine_.Start(); break;
        case StartStep::kStatus: engine_.SetStartupComplete(); break;
        default: break;
    }
    return true;
}

void SmptePart::Teardown(TeardownStep step) {
    if (step == TeardownStep::kStartWorker) {
        engine_.Stop();
    }
}

void SmptePart::Tick(const TickState& /*state*/) {
    if (presence_.present().load() && noteLtcFrame_) {
        noteLtcFrame_();
    }
}

void SmptePart::HardwareCheck() {
    reader_.HardwareCheck();
    // A reader that found no device of the operator's choice comes on when
    // the device is back.
    if (!reader_.IsOn() && reader_.waitsForDevice() && reader_.ChosenDevice() >= 0 && switchOn_) {
        switchOn_();
    }
}

}  // namespace tamberline
