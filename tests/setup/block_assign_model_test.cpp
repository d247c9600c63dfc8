#include <gtest/gtest.h>

#include <cstring>

#include "session/registry.h"
#include "session/settings.h"
#include "setup/block_assign_model.h"
#include "support/temp_dir.h"
#include "triggers/key_triggers.h"

namespace tamberline::testing {
namespace {

class BlockAssignTest : public ::testing::Test {
protected:
    BlockServices Services() {
        return {registry_, "/home/op/", [](const std::string& f) { return f != "/gone/"; },
                [](const std::string& f) { return f.rfind("/media/", 0) != 0; }};
    }
    static ButtonRecord Assigned(const std::string& path, uint8_t seed) {
        ButtonRecord r{};
        SetPath(r, path);
        SetCaption(r, "cap");
        r.status = STATUS_ASSIGNED;
        r.output = seed;
        r.volume = static_cast<uint8_t>(seed + 10);
        r.pan = 40;
        r.varispeed = 120;
        r.flags = 0x95;
        r.midiNote = seed;
        r.midiChannel = 2;
        r.triggerKey = 'Z';
        r.gameTrigger = seed;
        r.fadeIn = 11;
        r.fadeOut = 22;
        r.colour = 0x010203u * seed;
        r.loop = 1;
        r.durationMs = 1234;
        r.startTime = 99;
        r.startTimeOn = 1;
        r.startGroup = 3;
        r.reserved221[0] = 0x5A;
        return r;
    }
    BlockAssignModel Model(std::vector<ButtonRecord> blockRecords) {
        BlockAssignModel model(Services(), std::move(blockRecords));
        model.Open();
        return model;
    }
    std::vector<ButtonRecord> Block(size_t n) {
        std::vector<ButtonRecord> blockRecords;
        for (size_t k = 0; k < n; ++k) {
            blockRecords.push_back(
                Assigned("/show/s" + std::to_string(k) + ".wav", static_cast<uint8_t>(k + 1)));
        }
        return blockRecords;
    }

    TempDir dir_;
    Registry registry_{QString::fromStdString(dir_.File("Tamberline.conf"))};
};

TEST_F(BlockAssignTest, KeyItems) {
    const std::vector<std::string> items = BlockKeyItems();
    ASSERT_EQ(items.size(), 51u);
    EXPECT_EQ(items[0], " ");
    EXPECT_EQ(items[1], " Q");
    EXPECT_EQ(items[26], " M");
    EXPECT_EQ(items[27], "");
    EXPECT_EQ(items[28], " NUMPAD 0");
    EXPECT_EQ(items[37], " NUMPAD 9");
    EXPECT_EQ(items[38], "");
    EXPECT_EQ(items[39], " F1");
    EXPECT_EQ(items[50], " F12");
    EXPECT_EQ(BlockKeyItemOf('Y'), 6);
    EXPECT_EQ(BlockKeyItemOf(vk::kF1 + 11), 50);
    EXPECT_EQ(BlockKeyItemOf(0), 0);
}

TEST_F(BlockAssignTest, NumberedTriggersWrap) {
    struct Case {
        uint32_t mask;
        BlockValues values;
        size_t n;
        std::vector<int> want;  // per slot: key, note or game trigger
    };
    BlockValues y;
    y.startKeyItem = BlockKeyItemOf('Y');
    BlockValues m;
    m.startKeyItem = 26;
    BlockValues pad;
    pad.startKeyItem = 36;
    BlockValues fkeys;
    fkeys.startKeyItem = 49;
    BlockValues blank;
    blank.startKeyItem = 27;
    BlockValues notes;
    notes.startNote = 126;
    notes.midiChannel = 5;
    BlockValues games;
    games.startGameItem = 127;
    const Case cases[] = {
        {block::kKeys, y, 8, {'Y', 'U', 'I', 'O', 'P', 'A', 'S', 'D'}},
        {block::kKeys, m, 4, {'M', 'Q', 'W', 'E'}},
        {block::kKeys, pad, 3, {vk::kNumpad0 + 8, vk::kNumpad0 + 9, vk::kNumpad0}},
        {block::kKeys, fkeys, 3, {vk::kF1 + 10, vk::kF1 + 11, vk::kF1}},
        {block::kKeys, blank, 2, {0, 0}},
        {block::kMidi, notes, 4, {126, 127, 1, 2}},
        {block::kGame, games, 3, {127, 128, 1}},
    };
    for (const Case& c : cases) {
        BlockAssignModel model = Model(Block(c.n));
        model.SetMask(c.mask);
        model.Apply(c.values, {}, false);
        for (size_t k = 0; k < c.n; ++k) {
            const ButtonRecord& r = model.records()[k];
            const int got = c.mask == block::kKeys   ? r.triggerKey
                            : c.mask == block::kMidi ? r.midiNote
                                                     : r.gameTrigger;
            EXPECT_EQ(got, c.want[k]) << "case mask " << c.mask << " slot " << k;
            if (c.mask == block::kMidi) {
                EXPECT_EQ(r.midiChannel, 5);
            }
        }
    }
}

TEST_F(BlockAssignTest, MidiStartZeroClearsAndNoSelectionWritesNothing) {
    BlockAssignModel model = Model(Block(3));
    model.SetMask(block::kMidi);
    BlockValues none;
    none.startNote = -1;
    model.Apply(none, {}, false);
    EXPECT_EQ(model.records()[2].midiNote, 3);
    BlockValues zero;
    zero.startNote = 0;
    zero.midiChannel = 9;
    model.Apply(zero, {}, false);
    for (const ButtonRecord& r : model.records()) {
        EXPECT_EQ(r.midiNote, 0);
        EXPECT_EQ(r.midiChannel, 0);
    }
}

TEST_F(BlockAssignTest, OnlyTheTickedGroupChanges) {
    // The last slot's sample lies on a stick: it is kept all the same.
    std::vector<ButtonRecord> blockRecords = Block(4);
    blockRecords[3] = Assigned("/media/stick/far.wav", 9);
    const std::vector<ButtonRecord> before = blockRecords;
    BlockAssignModel model = Model(blockRecords);
    EXPECT_EQ(model.browseFolder(), "/show/");
    model.SetMask(block::kVolume);
    BlockValues values = model.InitialValues();
    values.volume = 55;
    values.pan = 0;
    model.Apply(values, {"x.wav"}, true);
    for (size_t k = 0; k < before.size(); ++k) {
        ButtonRecord want = before[k];
        want.volume = 55;
        EXPECT_EQ(std::memcmp(&model.records()[k], &want, sizeof want), 0) << k;
    }
    EXPECT_EQ(registry_.Dword(settings::kBlockMask), block::kVolume);
}

TEST_F(BlockAssignTest, FilesSpreadInListOrderAndDefaultsForNewSlots) {
    registry_.SetDword(settings::kButtonOutput, 2);
    std::vector<ButtonRecord> blockRecords(8, ButtonRecord{});
    blockRecords[1] = Assigned("/show/keep.wav", 4);
    BlockAssignModel model = Model(blockRecords);
    model.SetMask(block::kSamples);
    const std::vector<bool> fresh = model.Apply({}, {"a.wav", "b.flac", "c.wav"}, true);
    const char* want[] = {"a", "b", "c", "a", "b", "c", "a", "b"};
    for (size_t k = 0; k < 8; ++k) {
        const ButtonRecord& r = model.records()[k];
        EXPECT_EQ(PathOf(r),
                  "/show/" + std::string(want[k]) + (want[k][0] == 'b' ? ".flac" : ".wav"));
        EXPECT_EQ(CaptionOf(r), want[k]);
        EXPECT_TRUE(IsAssigned(r));
        EXPECT_TRUE(fresh[k]);
    }
    // A slot that had a file keeps its settings; an empty one gets the defaults.
    EXPECT_EQ(model.records()[1].volume, 14);
    EXPECT_EQ(model.records()[0].output, 2);
    EXPECT_EQ(model.records()[0].volume, 100);
    EXPECT_EQ(model.records()[0].colour, model.colour());
    EXPECT_EQ(registry_.String(settings::kFileFolder), "/show/");
    EXPECT_EQ(registry_.Dword(settings::kButtonOutput), 2u);
}

TEST_F(BlockAssignTest, UntouchedMarkingKeepsTheSamples) {
    const std::vector<ButtonRecord> before = Block(3);
    BlockAssignModel model = Model(before);
    EXPECT_EQ(model.UsedFileNames(), (std::vector<std::string>{"s0.wav", "s1.wav", "s2.wav"}));
    model.SetMask(block::kSamples | block::kPan);
    BlockValues values = model.InitialValues();
    values.pan = 150;
    const std::vector<bool> fresh = model.Apply(values, {"s2.wav", "s0.wav"}, false);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(PathOf(model.records()[k]), PathOf(before[k]));
        EXPECT_EQ(model.records()[k].pan, 150);
        EXPECT_FALSE(fresh[k]);
    }
}

TEST_F(BlockAssignTest, ClearedSelectionEmptiesTheBlock) {
    BlockAssignModel model = Model(Block(5));
    model.SetMask(block::kSamples | block::kVolume);
    model.Apply(model.InitialValues(), {}, true);
    for (const ButtonRecord& r : model.records()) {
        EXPECT_TRUE(IsZeroRecord(r));
    }
}

TEST_F(BlockAssignTest, StopGroupsKeepTheOtherFlagBits) {
    BlockAssignModel model = Model(Block(2));
    model.SetMask(block::kStopGroups);
    BlockValues values;
    values.stopGroup2 = true;
    model.Apply(values, {}, false);
    EXPECT_EQ(model.records()[0].flags, 0x94);  // 0x95: bit 0 off, bit 2 on, 4 and 7 kept
}

TEST_F(BlockAssignTest, OpeningTakesColourAndFolderFromTheFirstAssignedSlot) {
    registry_.SetDword(settings::kButtonColour, 0x0000FF);
    registry_.SetString(settings::kFileFolder, "/gone/");
    std::vector<ButtonRecord> blockRecords(3, ButtonRecord{});
    BlockAssignModel empty = Model(blockRecords);
    EXPECT_EQ(empty.colour(), 0x0000FFu);
    EXPECT_EQ(empty.browseFolder(), "/home/op/");
    blockRecords[2] = Assigned("/show/z.wav", 2);
    BlockAssignModel model = Model(blockRecords);
    EXPECT_EQ(model.colour(), 0x020406u);
    EXPECT_EQ(model.browseFolder(), "/show/");
    registry_.SetDword(settings::kBlockMask, 0xFFFFFFFF);
    EXPECT_EQ(Model(blockRecords).mask(), block::kAll);
}

}  // namespace
}  // namespace tamberline::testing
