#include "session/button_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

namespace tamberline {
namespace {

using Image = std::array<uint8_t, kRecordSize>;

// A record image written byte by byte at the file format's offsets.
Image HandWrittenImage() {
    Image b{};
    std::memcpy(b.data() + 0x000, "/shows/bang.wav", 15);
    b[0x104] = 3;                                                        // output
    b[0x105] = 94;                                                       // volume
    b[0x106] = 120;                                                      // pan
    b[0x107] = 0xA7;                                                     // reserved
    b[0x108] = 0x96, b[0x109] = 0x00;                                    // varispeed 150
    b[0x10A] = 0xC1;                                                     // flags
    b[0x10B] = 60;                                                       // midiNote
    b[0x10C] = 16;                                                       // midiChannel
    b[0x10D] = 0x41;                                                     // triggerKey
    b[0x10E] = 128;                                                      // gameTrigger
    b[0x110] = 0xA0, b[0x111] = 0x8C;                                    // fadeIn 36000
    b[0x112] = 0x01, b[0x113] = 0x02;                                    // fadeOut 0x0201
    b[0x114] = 0x11, b[0x115] = 0x22, b[0x116] = 0x33, b[0x117] = 0x00;  // colour
    std::memcpy(b.data() + 0x118, "Bang\r\nTwo", 9);
    b[0x218] = 1;                                                        // loop
    b[0x219] = 9;                                                        // status
    b[0x21A] = 0x5A;                                                     // reserved
    b[0x21C] = 0x04, b[0x21D] = 0x03, b[0x21E] = 0x02, b[0x21F] = 0x81;  // fileSize
    b[0x220] = 1;                                                        // multiChannel
    b[0x230] = 0xEE;                                                     // reserved
    b[0x238] = 0x78, b[0x239] = 0x56, b[0x23A] = 0x34, b[0x23B] = 0x12;  // durationMs
    b[0x23C] = 1;                                                        // hasSegments
    b[0x240] = 0xDD;                                                     // reserved
    b[0x248] = 0x40, b[0x249] = 0xA9, b[0x24A] = 0x01, b[0x24B] = 0x00;  // startTime 108864
    b[0x24C] = 1;                                                        // startTimeOn
    b[0x24D] = 16;                                                       // startGroup
    b[0x24F] = 0x99;                                                     // reserved
    return b;
}

TEST(ButtonRecordTest, DecodesEveryFieldFromItsOffset) {
    const Image image = HandWrittenImage();
    const ButtonRecord r = DecodeRecord(image);
    EXPECT_EQ(PathOf(r), "/shows/bang.wav");
    EXPECT_EQ(r.output, 3);
    EXPECT_EQ(r.volume, 94);
    EXPECT_EQ(r.pan, 120);
    EXPECT_EQ(r.varispeed, 150);
    EXPECT_EQ(r.flags, kFlagStopAll | kFlagPause | kFlagPlayWhileTriggered);
    EXPECT_EQ(r.midiNote, 60);
    EXPECT_EQ(r.midiChannel, 16);
    EXPECT_EQ(r.triggerKey, 0x41);
    EXPECT_EQ(r.gameTrigger, 128);
    EXPECT_EQ(r.fadeIn, 36000);
    EXPECT_EQ(r.fadeOut, 0x0201);
    EXPECT_EQ(r.colour, 0x00332211u);
    EXPECT_EQ(CaptionOf(r), "Bang\r\nTwo");
    EXPECT_EQ(r.loop, 1);
    EXPECT_EQ(r.status, STATUS_ASSIGNED);
    EXPECT_EQ(r.fileSize, static_cast<int32_t>(0x81020304u));
    EXPECT_EQ(r.multiChannel, 1);
    EXPECT_EQ(r.durationMs, 0x12345678u);
    EXPECT_EQ(r.hasSegments, 1);
    EXPECT_EQ(r.startTime, 108864u);
    EXPECT_EQ(r.startTimeOn, 1);
    EXPECT_EQ(r.startGroup, 16);
}

TEST(ButtonRecordTest, EncodesBackToTheSameBytesReservedAreasIncluded) {
    const Image image = HandWrittenImage();
    Image out{};
    EncodeRecord(DecodeRecord(image), out);
    EXPECT_EQ(out, image);
}

TEST(ButtonRecordTest, SessionImageHoldsRecordsInButtonOrder) {
    auto records = std::make_unique<RecordArray>();
    (*records)[0].status = 9;
    (*records)[335].startGroup = 7;
    const std::vector<uint8_t> bytes = EncodeSession(*records);
    ASSERT_EQ(bytes.size(), 198912u);
    EXPECT_EQ(bytes[0x219], 9);
    EXPECT_EQ(bytes[335 * 592 + 0x24D], 7);
    auto back = std::make_unique<RecordArray>();
    DecodeSession(std::span<const uint8_t, kSessionFileSize>(bytes.data(), kSessionFileSize),
                  *back);
    EXPECT_EQ(std::memcmp(back.get(), records.get(), sizeof(RecordArray)), 0);
}

TEST(ButtonRecordTest, TextWithoutTerminatorStopsAtTheFieldsEnd) {
    Image image{};
    std::memset(image.data(), 'a', 260);
    std::memset(image.data() + 0x118, 'b', 256);
    const ButtonRecord r = DecodeRecord(image);
    EXPECT_EQ(PathOf(r).size(), 260u);
    EXPECT_EQ(CaptionOf(r).size(), 256u);
}

TEST(ButtonRecordTest, SetPathCutsToFitAndKeepsTheTerminator) {
    ButtonRecord r{};
    SetPath(r, std::string(400, 'x'));
    EXPECT_EQ(PathOf(r).size(), 259u);
    EXPECT_EQ(r.path[259], '\0');
}

struct DifferCase {
    const char* field;
    std::function<void(ButtonRecord&)> change;
    bool counts;
};

TEST(ButtonRecordTest, OnlyUserFieldsMakeRecordsDiffer) {
    const DifferCase cases[] = {
        {"path", [](ButtonRecord& r) { SetPath(r, "/b.wav"); }, true},
        {"path case", [](ButtonRecord& r) { SetPath(r, "/A.WAV"); }, true},
        {"output", [](ButtonRecord& r) { r.output = 1; }, true},
        {"volume", [](ButtonRecord& r) { r.volume = 90; }, true},
        {"pan", [](ButtonRecord& r) { r.pan = 50; }, true},
        {"varispeed", [](ButtonRecord& r) { r.varispeed = 101; }, true},
        {"flags", [](ButtonRecord& r) { r.flags = kFlagPause; }, true},
        {"midiNote", [](ButtonRecord& r) { r.midiNote = 1; }, true},
        {"midiChannel", [](ButtonRecord& r) { r.midiChannel = 2; }, true},
        {"triggerKey", [](ButtonRecord& r) { r.triggerKey = 'A'; }, true},
        {"gameTrigger", [](ButtonRecord& r) { r.gameTrigger = 5; }, true},
        {"fadeIn", [](ButtonRecord& r) { r.fadeIn = 10; }, true},
        {"fadeOut", [](ButtonRecord& r) { r.fadeOut = 10; }, true},
        {"colour", [](ButtonRecord& r) { r.colour = 1; }, true},
        {"caption", [](ButtonRecord& r) { SetCaption(r, "other"); }, true},
        {"loop", [](ButtonRecord& r) { r.loop = 1; }, true},
        {"status", [](ButtonRecord& r) { r.status = STATUS_LOST; }, true},
        {"startTime", [](ButtonRecord& r) { r.startTime = 30; }, true},
        {"startTimeOn", [](ButtonRecord& r) { r.startTimeOn = 1; }, true},
        {"startGroup", [](ButtonRecord& r) { r.startGroup = 3; }, true},
        {"fileSize", [](ButtonRecord& r) { r.fileSize = 1234; }, false},
        {"multiChannel", [](ButtonRecord& r) { r.multiChannel = 1; }, false},
        {"durationMs", [](ButtonRecord& r) { r.durationMs = 999; }, false},
        {"hasSegments", [](ButtonRecord& r) { r.hasSegments = 1; }, false},
        {"reserved", [](ButtonRecord& r) { r.reserved221[3] = 7; }, false},
        {"bytes after the path's end", [](ButtonRecord& r) { r.path[200] = 'z'; }, false},
        {"bytes after the caption's end", [](ButtonRecord& r) { r.caption[200] = 'z'; }, false},
    };
    ButtonRecord base{};
    SetPath(base, "/a.wav");
    SetCaption(base, "cue");
    base.status = STATUS_ASSIGNED;
    for (const DifferCase& c : cases) {
        ButtonRecord changed = base;
        c.change(changed);
        EXPECT_EQ(RecordsDiffer(base, changed), c.counts) << c.field;
        EXPECT_EQ(RecordsDiffer(changed, base), c.counts) << c.field;
    }
}

// Values a hostile or damaged file may carry: each must end in range,
// because the fields index tables, count loops or set the level.
TEST(ButtonRecordTest, NormaliseFieldsBringsEveryUsedFieldIntoRange) {
    struct Case {
        const char* field;
        std::function<void(ButtonRecord&)> spoil;
        std::function<int(const ButtonRecord&)> read;
        int expected;
    };
    const Case cases[] = {
        {"volume", [](ButtonRecord& r) { r.volume = 255; },
         [](const ButtonRecord& r) { return r.volume; }, 100},
        {"pan", [](ButtonRecord& r) { r.pan = 201; }, [](const ButtonRecord& r) { return r.pan; },
         200},
        {"midiNote", [](ButtonRecord& r) { r.midiNote = 128; },
         [](const ButtonRecord& r) { return r.midiNote; }, 0},
        {"midiChannel", [](ButtonRecord& r) { r.midiChannel = 17; },
         [](const ButtonRecord& r) { return r.midiChannel; }, 0},
        {"key below", [](ButtonRecord& r) { r.triggerKey = 0x31; },
         [](const ButtonRecord& r) { return r.triggerKey; }, 0},
        {"key above", [](ButtonRecord& r) { r.triggerKey = 0x7C; },
         [](const ButtonRecord& r) { return r.triggerKey; }, 0},
        {"gameTrigger", [](ButtonRecord& r) { r.gameTrigger = 129; },
         [](const ButtonRecord& r) { return r.gameTrigger; }, 0},
        {"fadeIn", [](ButtonRecord& r) { r.fadeIn = 60000; },
         [](const ButtonRecord& r) { return r.fadeIn; }, 36000},
        {"fadeOut", [](ButtonRecord& r) { r.fadeOut = 36001; },
         [](const ButtonRecord& r) { return r.fadeOut; }, 36000},
        {"loop", [](ButtonRecord& r) { r.loop = 7; }, [](const ButtonRecord& r) { return r.loop; },
         1},
        {"startTimeOn", [](ButtonRecord& r) { r.startTimeOn = 2; },
         [](const ButtonRecord& r) { return r.startTimeOn; }, 1},
        {"startGroup", [](ButtonRecord& r) { r.startGroup = 17; },
         [](const ButtonRecord& r) { return r.startGroup; }, 0},
        {"startGroup 255", [](ButtonRecord& r) { r.startGroup = 255; },
         [](const ButtonRecord& r) { return r.startGroup; }, 0},
    };
    for (const Case& c : cases) {
        ButtonRecord r = DecodeRecord(HandWrittenImage());
        ButtonRecord unchanged = r;
        EXPECT_FALSE(NormaliseFields(unchanged)) << c.field;
        c.spoil(r);
        EXPECT_TRUE(NormaliseFields(r)) << c.field;
        EXPECT_EQ(c.read(r), c.expected) << c.field;
    }
}

}  // namespace
}  // namespace tamberline
