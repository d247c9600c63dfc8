#pragma once

#include <functional>

#include "base/console_part.h"
#include "triggers/hotplug/media_devices.h"

namespace tamberline {

class MessageBox;

// The console's answer to devices arriving and leaving: the hardware check
// compares the media devices with the ones it kept, asks whether to use a
// new one and reports a lost one. It runs after every other part's check,
// so the inputs whose devices changed are already restarted when the
// modal message stands, and triggers never wait for the operator's OK.
// A lost device never ends the program.
class HotplugPart final : public ConsolePart {
public:
    struct Hooks {
        // The outputs are to take in the change (outputs whose device
        // changed are rebuilt once no button plays on them).
        std::function<void()> refreshOutputs;
        // The console's status line is cleared.
        std::function<void()> clearStatusLine;
    };

    HotplugPart(MessageBox& box, MediaDeviceSource& devices, Hooks hooks)
        : box_(box), devices_(devices), hooks_(std::move(hooks)) {}

    bool Start(StartStep step) override;
    void HardwareCheck() override;
    const MediaDeviceList& kept() const { return kept_; }

private:
    void TakeIn();

    MessageBox& box_;
    MediaDeviceSource& devices_;
    Hooks hooks_;
    MediaDeviceList kept_;
};

}  // namespace tamberline
