#include <gtest/gtest.h>

#include "setup/setup_rules.h"
#include "setup/setup_texts.h"

namespace tamberline {
namespace {

TEST(SetupTexts, ListItemsAndValueDisplays) {
    struct Case {
        std::string got;
        std::string want;
    };
    const Case cases[] = {
        {NoteItemText(1), "C# note 1"},
        {NoteItemText(60), "C  note 60"},
        {NoteItemText(64), "E  note 64"},
        {NoteItemText(70), "A# note 70"},
        {NoteItemText(71), "B  note 71"},
        {NoteItemText(127), "G  note 127"},
        {GameTriggerListText(1), "Stick 1 : button 1"},
        {GameTriggerListText(2), "          button 2"},
        {GameTriggerListText(17), "Stick 2 : button 1"},
        {GameTriggerListText(128), "          button 16"},
        {GameTriggerStickText(18), "Stick 2 : button 2"},
        {GameTriggerStickText(129), ""},
        {VolumeText(100), "0 dB"},
        {VolumeText(0), "-100 dB"},
        {VolumeText(73), "-27 dB"},
        {PanText(100), "Centre"},
        {PanText(0), "Left 100%"},
        {PanText(130), "Right 30%"},
        {PanText(70, false), "Left 30"},
        {VarispeedText(100), "0%"},
        {VarispeedText(10), "-90%"},
        {VarispeedText(190), "+90%"},
        {TimecodeText(0), "00:00:00:00"},
        {TimecodeText(2591999), "23:59:59:29"},
        {RemainingTimeText(0), "0:00"},
        {RemainingTimeText(59'600), "1:00"},
        {RemainingTimeText(61'000), "1:01"},
        {RemainingTimeText(3'600'000), "1:00:00"},
        {RemainingTimeText(3'725'100), "1:02:05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got, c.want);
    }
    EXPECT_EQ(MidiNoteItems().size(), 128u);
    EXPECT_EQ(MidiNoteItems().front(), "");
    EXPECT_EQ(MidiChannelItems().back(), "Channel 16");
    EXPECT_EQ(StartGroupItems()[0], " ");
    EXPECT_EQ(StartGroupItems()[16], " 16");
    EXPECT_EQ(GameTriggerItems().size(), 129u);
}

TEST(StartTimeEntry, DigitsReadInPairsFromTheRight) {
    struct Case {
        std::string typed;
        std::string shown;  // empty: no digit
    };
    const Case cases[] = {
        {"1", "00:00:00:01"},
        {"123", "00:00:01:23"},
        {"25000000", "01:00:00:00"},     // 25 hours wrap
        {"12:34:56:78", "12:34:58:18"},  // pairs are not range-checked
        {"x1y2", "00:00:00:12"},
        {"00:00:00:29", "00:00:00:29"},
        {"9999999999999999", "04:40:42:09"},  // only the last eight digits count
        {"", ""},
        {"ab:cd", ""},
    };
    for (const Case& c : cases) {
        uint32_t frames = 12345;
        const bool any = ParseStartTimeEntry(c.typed, frames);
        EXPECT_EQ(any, !c.shown.empty()) << c.typed;
        if (any) {
            EXPECT_EQ(TimecodeText(frames), c.shown) << c.typed;
            EXPECT_LT(frames, 2'592'000u);
        }
    }
    // Text of any length and characters.
    std::string noise(100'000, '\xff');
    noise += "7";
    uint32_t frames = 0;
    EXPECT_TRUE(ParseStartTimeEntry(noise, frames));
    EXPECT_EQ(frames, 7u);
}

TEST(Fades, LimitedToTheSampleWithoutLoop) {
    struct Case {
        long typed;
        uint16_t other;
        uint32_t durationMs;
        bool loop;
        uint16_t stored;
    };
    const Case cases[] = {
        {90, 30, 10'000, false, 65},  // 10 s sample, fade-out 3 s
        {90, 30, 10'000, true, 90},   {50, 0, 10'000, false, 50},
        {90, 95, 10'000, false, 0},  // no room left: not below 0
        {0, 0, 0, false, 0},          {-4, 0, 10'000, true, 0},
        {50'000, 0, 0, true, 36'000}, {50'000, 0, 4'000'000'000u, false, 36'000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LimitFade(c.typed, c.other, c.durationMs, c.loop), c.stored) << c.typed;
    }
}

TEST(Varispeed, DurationFollowsTheSpeed) {
    EXPECT_EQ(RescaleDuration(10'000, 100, 50), 20'000u);
    EXPECT_EQ(RescaleDuration(20'000, 50, 100), 10'000u);
    EXPECT_EQ(RescaleDuration(10'000, 100, 190), 5'263u);
    EXPECT_EQ(RescaleDuration(4'000'000'000u, 190, 10), UINT32_MAX);
}

TEST(Captions, TrimmedCutOnACharacterWithLineBreaksAsCrLf) {
    EXPECT_EQ(CaptionForRecord(std::string(300, 'a'), "/x/y.wav"), std::string(255, 'a'));
    // Two-byte characters: 127 of them fit, never half of the 128th.
    std::string accents;
    for (int i = 0; i < 150; ++i) {
        accents += "\xc3\xa9";
    }
    const std::string cut = CaptionForRecord(accents, "/x/y.wav");
    EXPECT_EQ(cut.size(), 254u);
    EXPECT_EQ(cut, accents.substr(0, 254));
    EXPECT_EQ(CaptionForRecord("  Intro\nSong \r\n", "/x/y.wav"), "Intro\r\nSong");
    EXPECT_EQ(CaptionForRecord(" \r\n ", "/music/Big Bell.wav"), "Big Bell");
    // A line break cut in two leaves no lone CR.
    EXPECT_EQ(CaptionForRecord(std::string(254, 'a') + "\nb", "/y.wav"), std::string(254, 'a'));
    EXPECT_EQ(CaptionForBox("One\r\nTwo"), "One\nTwo");
}

TEST(Paths, OnlyWholePathsFitTheRecord) {
    EXPECT_TRUE(PathFitsRecord(std::string(259, 'p')));
    EXPECT_FALSE(PathFitsRecord(std::string(260, 'p')));
}

TEST(Flags, BoxesAndBits) {
    struct Case {
        FlagBoxes boxes;
        uint8_t flags;
    };
    const Case cases[] = {
        {{true, false, false, false, false, false, false}, 0x80},
        {{false, true, false, false, false, false, false}, 0x40},
        {{false, false, true, false, false, false, false}, 0x10},
        {{false, false, false, true, false, false, false}, 0x01},
        {{false, false, false, false, true, false, false}, 0x02},
        {{false, false, false, false, false, true, false}, 0x04},
        {{false, false, false, false, false, false, true}, 0x08},
        {{true, true, true, true, true, true, true}, 0xDF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FlagsFromBoxes(c.boxes), c.flags);
        EXPECT_EQ(FlagsFromBoxes(BoxesFromFlags(c.flags)), c.flags);
    }
    // The reserved bit never survives a rebuild from the boxes.
    EXPECT_EQ(FlagsFromBoxes(BoxesFromFlags(0x20)), 0);
}

TEST(SearchTerms, OnlyLettersDigitsBlanksAndFullStops) {
    EXPECT_TRUE(IsValidSearchTerm("Bell 2.wav"));
    EXPECT_TRUE(IsValidSearchTerm("Glocke\xc3\xa4"));
    for (const char* bad : {"a*", "a'b", "a%", "a/b", "a-b", "x_y", "a;DROP"}) {
        EXPECT_FALSE(IsValidSearchTerm(bad)) << bad;
    }
}

class Duplicates : public ::testing::Test {
protected:
    void Put(int button, int note, int channel, int key = 0, int game = 0) {
        ButtonRecord& r = records_[static_cast<size_t>(button)];
        r.status = STATUS_ASSIGNED;
        r.midiNote = static_cast<uint8_t>(note);
        r.midiChannel = static_cast<uint8_t>(channel);
        r.triggerKey = static_cast<uint8_t>(key);
        r.gameTrigger = static_cast<uint8_t>(game);
    }
    RecordArray records_{};
};

TEST_F(Duplicates, ListsOtherButtonsOnTheSameTrigger) {
    Put(0, 60, 1);
    Put(3, 60, 2);
    Put(9, 61, 1);
    Put(20, 60, 1, 'A', 7);
    Put(4, 0, 0, 0, 7);
    Put(16, 0, 0, 'A', 7);
    records_[30].midiNote = 60;  // not assigned: never triggered
    EXPECT_EQ(ButtonsOnNote(records_, 0, 60, 1), (std::vector<int>{20}));
    // "Any channel" lists the note on every channel.
    EXPECT_EQ(ButtonsOnNote(records_, 0, 60, 0), (std::vector<int>{3, 20}));
    EXPECT_TRUE(ButtonsOnNote(records_, 0, 0, 0).empty());
    EXPECT_EQ(ButtonsOnKey(records_, 16, 'A'), (std::vector<int>{20}));
    EXPECT_EQ(ButtonNumberList(ButtonsOnGameTrigger(records_, 20, 7)), "5 17 ");
    EXPECT_TRUE(ButtonsOnGameTrigger(records_, 20, 0).empty());
}

}  // namespace
}  // namespace tamberline
