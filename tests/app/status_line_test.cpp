#include "app/status_line.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

ButtonRecord FullySet() {
    ButtonRecord r{};
    SetPath(r, "/samples/Thunder.wav");
    r.status = STATUS_ASSIGNED;
    r.output = 2;
    r.volume = 88;
    r.pan = 70;
    r.varispeed = 120;
    r.startGroup = 4;
    r.flags = kFlagStopGroup1 | kFlagStopGroup3 | kFlagPlayWhileTriggered | kFlagPause |
              kFlagBuzzersAndBells;
    r.fadeIn = 25;
    r.fadeOut = 130;
    r.loop = 1;
    r.hasSegments = 1;
    r.triggerKey = 'Q';
    r.midiChannel = 3;
    r.midiNote = 60;
    r.gameTrigger = 18;  // stick 2, button 2
    r.startTimeOn = 1;
    r.startTime = 108000 + 2 * 1800 + 3 * 30 + 4;  // 01:02:03:04
    return r;
}

TEST(StatusLineTest, AFullySetButtonShowsEveryPieceInOrder) {
    const ButtonRecord r = FullySet();
    ButtonInfoInput in;
    in.button = 9;
    in.record = &r;
    in.run.playedMs = 61600;
    const ButtonInfo info = ButtonInfoPieces(in);
    const ButtonInfo expected = {" 10: Out 3, -12dB, L30%, +20% ",
                                 " Start 4 ",
                                 " Stop 1 3 ",
                                 " Fadein=2.5 ",
                                 " Fadeout=13.0 ",
                                 " Loop ",
                                 " Play while trigger ",
                                 " Pause ",
                                 " Playlist ",
                                 " Bell ",
                                 " Q ",
                                 " Ch3 Note60 ",
                                 " Stick 2, button 2 ",
                                 " 01:02:03:04 ",
                                 " 1:02 "};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(info[i], expected[i]) << "field " << i;
    }
}

TEST(StatusLineTest, PiecesThatDoNotApplyStayEmpty) {
    ButtonRecord r{};
    SetPath(r, "/samples/a.wav");
    r.status = STATUS_ASSIGNED;
    r.volume = 100;
    r.pan = 130;
    r.varispeed = 90;
    r.flags = kFlagStopAll | kFlagStopGroup2;
    r.midiNote = 12;
    ButtonInfoInput in;
    in.button = 335;
    in.record = &r;
    in.outputValid = false;  // an output row past the table shows as output 1
    const ButtonInfo info = ButtonInfoPieces(in);
    EXPECT_EQ(info[0], " 336: Out 1, 0dB, R30%, -10% ");
    EXPECT_EQ(info[2], " Stop All ");
    EXPECT_EQ(info[11], " Any: Note12 ");
    for (int i : {1, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14}) {
        EXPECT_EQ(info[static_cast<size_t>(i)], "") << i;
    }
}

TEST(StatusLineTest, EmptyLockedAndSonglistButtons) {
    ButtonRecord empty{};
    ButtonInfoInput in;
    in.button = 41;
    in.record = &empty;
    EXPECT_EQ(ButtonInfoPieces(in)[0], " 42: [Shift] + [LeftClick] to load. ");

    ButtonRecord r = FullySet();
    in.record = &r;
    in.run.locked = true;
    const ButtonInfo locked = ButtonInfoPieces(in);
    EXPECT_EQ(locked[0], " Spacebar to release ");
    EXPECT_EQ(locked[1], "");

    in.run.locked = false;
    r.hasSegments = 0;
    in.isSonglist = true;
    EXPECT_EQ(ButtonInfoPieces(in)[8], " Songlist ");
    in.run.songsLeft = 3;
    EXPECT_EQ(ButtonInfoPieces(in)[8], " Song 3");
}

TEST(StatusLineTest, PlayedTimeStartTimeAndCueTexts) {
    EXPECT_EQ(PlayedTimeText(3600000), " 1:00:00 ");
    EXPECT_EQ(PlayedTimeText(1501), " 0:02 ");
    // A start time of a day or more wraps at midnight.
    EXPECT_EQ(StartTimeText(30 * 86400 + 29), " 00:00:00:29 ");
    EXPECT_EQ(CueText(0), " Tab :  1 ");
}

}  // namespace
}  // namespace tamberline
