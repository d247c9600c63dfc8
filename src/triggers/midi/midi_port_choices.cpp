#include "triggers/midi/midi_port_choices.h"

#include "base/message_box.h"
#include "session/registry.h"
#include "triggers/midi/midi_driver.h"

namespace tamberline {

namespace {

constexpr uint32_t kUse = 9;

DwordSetting SettingOf(const MidiPortChoices::Item& item) {
    return item.input ? settings::MidiInPort(item.device.name)
                      : settings::MidiOutPort(item.device.name);
}

}  // namespace

MidiPortChoices::MidiPortChoices(MidiDriver& driver, Registry& registry, MessageBox& box)
    : driver_(driver), registry_(registry), box_(box) {}

bool MidiPortChoices::IsFree(const Item& item) {
    if (item.input) {
        return driver_.OpenInput(item.device.id, item.device.portName, nullptr) != nullptr;
    }
    return driver_.OpenOutput(item.device.id, item.device.portName) != nullptr;
}

void MidiPortChoices::Fill() {
    items_.clear();
    for (const MidiDevice& device : ListMidiDevices(driver_.InputNames())) {
        items_.push_back({true, device, false});
    }
    for (const MidiDevice& device : ListMidiDevices(driver_.OutputNames())) {
        items_.push_back({false, device, false});
    }
    for (Item& item : items_) {
        if (!IsFree(item)) {
            registry_.SetDword(SettingOf(item), 0);
            continue;
        }
        item.selected = registry_.Dword(SettingOf(item)) == kUse;
    }
}

void MidiPortChoices::Toggle(size_t index) {
    if (index >= items_.size()) {
        return;
    }
    Item& item = items_[index];
    if (item.selected) {
        item.selected = false;
        return;
    }
    if (!IsFree(item)) {
        box_.Show(item.device.name +
                      "\n\nThis device is already in use.\nWait until it is free, then try again.",
                  mb::kOk);
        return;
    }
    item.selected = true;
}

int MidiPortChoices::Apply() {
    bool any = false;
    for (const Item& item : items_) {
        registry_.SetDword(SettingOf(item), item.selected ? kUse : 0);
        any = any || item.selected;
    }
    return any ? kApplied : 0;
}

}  // namespace tamberline
