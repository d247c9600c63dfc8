#include "app/session_listing.h"

#include <gtest/gtest.h>

#include <memory>

namespace tamberline {
namespace {

using Row = std::vector<std::string>;

ButtonRecord Everything() {
    ButtonRecord r{};
    r.status = STATUS_ASSIGNED;
    SetPath(r, "/shows/intro.wav");
    SetCaption(r, "Two\r\nlines");
    r.output = 2;
    r.volume = 94;
    r.pan = 80;
    r.hasSegments = 1;
    r.multiChannel = 1;
    r.varispeed = 105;
    r.fadeIn = 15;
    r.fadeOut = 0;
    r.startGroup = 3;
    r.flags = kFlagStopAll | kFlagStopGroup2 | kFlagPause | kFlagPlayWhileTriggered |
              kFlagBuzzersAndBells;
    r.midiNote = 60;
    r.midiChannel = 2;
    r.triggerKey = 'A';
    r.gameTrigger = 18;
    r.startTimeOn = 1;
    r.startTime = ((1 * 60 + 2) * 60 + 3) * 30 + 4;
    r.loop = 1;
    return r;
}

TEST(SessionListingTest, EveryColumnOfAnAssignedButton) {
    auto records = std::make_unique<RecordArray>();
    (*records)[0] = Everything();
    const auto rows = SessionListingRows(*records);
    ASSERT_EQ(rows.size(), static_cast<size_t>(kPageCount * (kButtonsPerPage + 2)));
    EXPECT_EQ(rows[0], (Row{"Page 1", "**********"}));
    EXPECT_EQ(rows[1], (Row{"1",
                            "Two lines",
                            "/shows/intro.wav",
                            "3",
                            "-6 dB",
                            "Left 20%",
                            "Playlist",
                            "Surround",
                            "+5%",
                            "1.5 ",
                            "",
                            "3",
                            "All  2 ",
                            " Ch2 Note60 ",
                            " A ",
                            "Stick 2, button 2",
                            "01:02:03:04",
                            "LOOP",
                            "Pause ",
                            "Play while triggered",
                            "Buzzers and Bells"}));
    EXPECT_EQ(rows[1].size(), SessionListingColumns().size());
    EXPECT_EQ(rows[2], Row{"2"}) << "an empty button shows its number only";
    EXPECT_EQ(rows[43], Row{}) << "an empty row ends each page";
    EXPECT_EQ(rows[44], (Row{"Page 2", "**********"}));
    EXPECT_EQ(rows.back(), Row{});
    EXPECT_EQ(rows[rows.size() - 2], Row{"336"});
}

TEST(SessionListingTest, AnyChannelAndDefaults) {
    auto records = std::make_unique<RecordArray>();
    ButtonRecord& r = (*records)[5];
    r = Everything();
    r.midiChannel = 0;
    r.volume = 100;
    r.pan = 100;
    r.varispeed = 100;
    r.flags = 0;
    EXPECT_EQ(SessionListingTitle("/shows/Act.dbf", *records),
              "Session  /shows/Act.dbf - 1 buttons loaded.");
    const Row row = SessionListingRows(*records)[6];
    EXPECT_EQ(row[4], "0 dB");
    EXPECT_EQ(row[5], "Centre");
    EXPECT_EQ(row[8], "");
    EXPECT_EQ(row[12], "");
    EXPECT_EQ(row[13], " Any: Note60 ");
}

TEST(SessionListingTest, Columns) {
    const auto columns = SessionListingColumns();
    ASSERT_EQ(columns.size(), 21u);
    EXPECT_EQ(columns[0].title, "Button");
    EXPECT_EQ(columns[0].width, 54);
    EXPECT_EQ(columns[2].width, 250);
    EXPECT_EQ(columns[19].title, "Play while Triggered");
    EXPECT_EQ(columns[19].width, 120);
    EXPECT_EQ(columns[20].title, "Buzzers and Bells");
    const auto log = RunLogColumns();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[4].title, "Run time");
    EXPECT_TRUE(log[4].rightAligned);
    EXPECT_FALSE(log[0].rightAligned);
}

}  // namespace
}  // namespace tamberline
