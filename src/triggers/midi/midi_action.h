#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

// What one incoming short message asks of the buttons.
struct MidiAction {
    enum class Kind { kNone, kNoteOn, kNoteOff, kAllNotesOff, kAllSoundsOff, kReset };
    Kind kind = Kind::kNone;
    int channel = 0;  // 1..16
    int note = 0;

    bool operator==(const MidiAction&) const = default;
};

MidiAction DecodeMidiMessage(uint32_t message);

// The text of status field 17 after `action`; empty for a message that
// leaves the field as it was.
std::string MidiStatusText(const MidiAction& action);

using RecordAt = std::function<const ButtonRecord&(int button)>;

// The buttons `action` touches, lowest first: those bound to a note on the
// message's channel or on any channel; for note on and note off the note
// must match, and a note off only releases buttons that play while
// triggered. None for a reset, which stops everything.
std::vector<int> MidiActionButtons(const MidiAction& action, const RecordAt& record);

}  // namespace tamberline
