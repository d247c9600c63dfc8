#include "triggers/hotplug/hotplug_part.h"

#include "base/message_box.h"

namespace tamberline {

bool HotplugPart::Start(StartStep step) {
    if (step == StartStep::kDeviceSnapshot) {
        kept_ = devices_.List();
    }
    return true;
}

void HotplugPart::TakeIn() {
    if (hooks_.refreshOutputs) {
        hooks_.refreshOutputs();
    }
    if (hooks_.clearStatusLine) {
        hooks_.clearStatusLine();
    }
}

void HotplugPart::HardwareCheck() {
    MediaDeviceList now = devices_.List();
    const MediaDeviceChange change = CompareMediaDevices(kept_, now);
    // One device per check; the list is current afterwards.
    if (!change.removed.empty()) {
        kept_ = std::move(now);
        TakeIn();
        box_.Show(change.removed.front() + "\n\nHardware lost." + "\nDevice is not available.\n",
                  mb::kOk | mb::kIconExclamation);
        return;
    }
    if (!change.added.empty()) {
        const int answer = box_.Show(
            change.added.front() + "\n\nNew hardware found." + "\nDo you want to use it?\n",
            mb::kYesNo | mb::kIconQuestion);
        if (answer == kResultYes) {
            kept_ = std::move(now);
            TakeIn();
        }
    }
}

}  // namespace tamberline
