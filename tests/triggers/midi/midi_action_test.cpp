#include "triggers/midi/midi_action.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

using Kind = MidiAction::Kind;

struct DecodeCase {
    uint32_t message;
    MidiAction action;
    const char* text;
};

class DecodeCases : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeCases, DecodesAndNamesTheMessage) {
    const MidiAction action = DecodeMidiMessage(GetParam().message);
    EXPECT_EQ(action, GetParam().action);
    EXPECT_EQ(MidiStatusText(action), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Midi, DecodeCases,
    ::testing::Values(
        DecodeCase{0x7F3C90, {Kind::kNoteOn, 1, 60}, " Last midi :  Ch1 Note60 On "},
        DecodeCase{0x003C9F, {Kind::kNoteOff, 16, 60}, " Last midi :  Ch16 Note60 Off "},
        DecodeCase{0x403C84, {Kind::kNoteOff, 5, 60}, " Last midi :  Ch5 Note60 Off "},
        DecodeCase{0x007BB4, {Kind::kAllNotesOff, 5, 0}, " Last midi :  Ch5 All notes off "},
        DecodeCase{0x007FB4, {Kind::kAllNotesOff, 5, 0}, " Last midi :  Ch5 All notes off "},
        DecodeCase{0x0078B1, {Kind::kAllSoundsOff, 2, 0}, " Last midi :  Ch2 All sounds off "},
        DecodeCase{0x0079B1, {}, ""}, DecodeCase{0x0007B1, {}, ""},
        DecodeCase{0xFF, {Kind::kReset, 0, 0}, " Last midi :  0xFF reset "},
        DecodeCase{0x25F1, {}, ""}));

class MidiButtons : public ::testing::Test {
protected:
    void Bind(int button, int note, int channel, bool playWhileTriggered) {
        ButtonRecord& r = records_[static_cast<size_t>(button)];
        r.midiNote = static_cast<uint8_t>(note);
        r.midiChannel = static_cast<uint8_t>(channel);
        r.flags = playWhileTriggered ? kFlagPlayWhileTriggered : 0;
    }
    std::vector<int> Buttons(MidiAction action) {
        return MidiActionButtons(action, [this](int b) -> const ButtonRecord& {
            return records_[static_cast<size_t>(b)];
        });
    }
    RecordArray records_{};
};

TEST_F(MidiButtons, NoteOnStartsItsNoteOnItsChannelOrAny) {
    Bind(3, 60, 1, false);
    Bind(7, 60, 0, false);
    Bind(9, 60, 2, false);
    Bind(11, 61, 1, false);
    EXPECT_EQ(Buttons({Kind::kNoteOn, 1, 60}), (std::vector<int>{3, 7}));
    EXPECT_EQ(Buttons({Kind::kNoteOn, 16, 60}), (std::vector<int>{7}));
}

TEST_F(MidiButtons, NoteOffReleasesOnlyButtonsThatPlayWhileTriggered) {
    Bind(1, 60, 0, true);
    Bind(2, 60, 0, false);
    EXPECT_EQ(Buttons(DecodeMidiMessage(0x003C90)), (std::vector<int>{1}));  // velocity 0
}

TEST_F(MidiButtons, ChannelModeMessagesTakeEveryBoundButtonOfTheChannelWhateverItsNote) {
    Bind(0, 10, 5, false);
    Bind(1, 20, 0, true);
    Bind(2, 30, 6, false);
    Bind(3, 0, 5, false);  // no note: not MIDI-bound
    EXPECT_EQ(Buttons(DecodeMidiMessage(0x007BB4)), (std::vector<int>{0, 1}));
    EXPECT_EQ(Buttons(DecodeMidiMessage(0x0078B4)), (std::vector<int>{0, 1}));
    EXPECT_TRUE(Buttons(DecodeMidiMessage(0xFF)).empty());
}

}  // namespace
}  // namespace tamberline
