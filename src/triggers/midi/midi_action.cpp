#include "triggers/midi/midi_action.h"

#include <cstdio>

#include "triggers/midi/midi_message.h"

namespace tamberline {

namespace {

constexpr uint8_t kAllSoundsOff = 120;
constexpr uint8_t kFirstAllNotesOff = 123;

std::string Format(const char* format, int channel, int value = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, channel, value);
    return text;
}

}  // namespace

MidiAction DecodeMidiMessage(uint32_t message) {
    if (message == kSystemReset) {
        return {MidiAction::Kind::kReset, 0, 0};
    }
    const uint8_t status = StatusOf(message);
    const int channel = (status & 0x0F) + 1;
    const uint8_t d1 = Data1Of(message);
    const uint8_t d2 = Data2Of(message);
    switch (status & 0xF0) {
        case 0x80: return {MidiAction::Kind::kNoteOff, channel, d1};
        case 0x90:
            return {d2 != 0 ? MidiAction::Kind::kNoteOn : MidiAction::Kind::kNoteOff, channel, d1};
        case 0xB0:
            if (d1 >= kFirstAllNotesOff) {
                return {MidiAction::Kind::kAllNotesOff, channel, 0};
            }
            if (d1 == kAllSoundsOff) {
                return {MidiAction::Kind::kAllSoundsOff, channel, 0};
            }
            return {};
        default: return {};
    }
}

std::string MidiStatusText(const MidiAction& action) {
    switch (action.kind) {
        case MidiAction::Kind::kNoteOn:
            return Format(" Last midi :  Ch%d Note%d On ", action.channel, action.note);
        case MidiAction::Kind::kNoteOff:
            return Format(" Last midi :  Ch%d Note%d Off ", action.channel, action.note);
        case MidiAction::Kind::kAllNotesOff:
            return Format(" Last midi :  Ch%d All notes off ", action.channel);
        case MidiAction::Kind::kAllSoundsOff:
            return Format(" Last midi :  Ch%d All sounds off ", action.channel);
        case MidiAction::Kind::kReset: return " Last midi :  0xFF reset ";
        case MidiAction::Kind::kNone: break;
    }
    return {};
}

std::vector<int> MidiActionButtons(const MidiAction& action, const RecordAt& record) {
    std::vector<int> buttons;
    if (action.kind == MidiAction::Kind::kNone || action.kind == MidiAction::Kind::kReset) {
        return buttons;
    }
    for (int button = 0; button < kButtonCount; ++button) {
        const ButtonRecord& r = record(button);
        if (r.midiNote == 0 || (r.midiChannel != 0 && r.midiChannel != action.channel)) {
            continue;
        }
        const bool noteMatches = r.midiNote == action.note;
        switch (action.kind) {
            case MidiAction::Kind::kNoteOn:
                if (!noteMatches) {
                    continue;
                }
                break;
            case MidiAction::Kind::kNoteOff:
                if (!noteMatches || (r.flags & kFlagPlayWhileTriggered) == 0) {
                    continue;
                }
                break;
            default: break;
        }
        buttons.push_back(button);
    }
    return buttons;
}

}  // namespace tamberline
