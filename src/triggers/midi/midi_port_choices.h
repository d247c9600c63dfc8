#pragma once

#include <cstddef>
#include <vector>

#include "triggers/midi/midi_device_list.h"

namespace tamberline {

class MessageBox;
class MidiDriver;
class Registry;

// What the "Setup Midi Ports" dialog shows and does, apart from its
// widgets: the inputs and outputs with their choice, a device that is in
// use cannot be chosen, and Apply stores every choice.
class MidiPortChoices {
public:
    struct Item {
        bool input = true;
        MidiDevice device;
        bool selected = false;
    };
    static constexpr int kApplied = 9;

    MidiPortChoices(MidiDriver& driver, Registry& registry, MessageBox& box);

    // Lists every device; one that cannot be opened now is in use: its
    // choice is stored as 0 and it is shown unchosen.
    void Fill();
    const std::vector<Item>& items() const { return items_; }
    // A click on an item: a chosen one is let go; an unchosen one is tried
    // first and stays unchosen, with a message, when it is in use.
    void Toggle(size_t index);
    // Stores every choice; kApplied when any device is chosen, else 0.
    int Apply();

private:
    bool IsFree(const Item& item);

    MidiDriver& driver_;
    Registry& registry_;
    MessageBox& box_;
    std::vector<Item> items_;
};

}  // namespace tamberline
