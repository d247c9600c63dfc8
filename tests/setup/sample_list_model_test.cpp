#include <gtest/gtest.h>

#include "setup/sample_list_model.h"
#include "triggers/key_triggers.h"

namespace tamberline {
namespace {

TEST(SessionTriggerList, OneRowPerTriggerInButtonOrder) {
    RecordArray records{};
    ButtonRecord& a = records[2];
    a.status = STATUS_ASSIGNED;
    a.triggerKey = 'A';
    a.midiNote = 60;
    a.midiChannel = 0;
    a.gameTrigger = 18;
    a.startTimeOn = 1;
    a.startTime = 30 * 61 + 5;
    SetCaption(a, "Door\r\nBell");
    ButtonRecord& b = records[300];
    b.status = STATUS_ASSIGNED;
    b.midiNote = 61;
    b.midiChannel = 16;
    records[5].midiNote = 9;  // not assigned
    const SampleListContent list = SessionTriggerList(records);
    EXPECT_EQ(list.title, "Session triggers.");
    ASSERT_EQ(list.columns.size(), 3u);
    EXPECT_EQ(list.columns[0].width, 56);
    const std::vector<std::vector<std::string>> want = {
        {" 3", "A", "Door Bell"},
        {" 3", "Midi note 60 All channels", "Door Bell"},
        {" 3", "Stick2 btn2", "Door Bell"},
        {" 3", "00:01:01:05", "Door Bell"},
        {" 301", "Midi note 61 Channel 16", ""},
    };
    EXPECT_EQ(list.rows, want);
    EXPECT_TRUE(list.actionText.empty());
}

TEST(SonglistList, EntriesLengthsAndTotal) {
    const SampleListContent list =
        SonglistList("/show/act.m3u", {"/a.wav", "/b.wav", "/c.wav"}, {61'500, 0, 3'600'000});
    EXPECT_EQ(list.title, "SongList - /show/act.m3u");
    EXPECT_EQ(list.actionText, "Edit");
    EXPECT_TRUE(list.columns[2].rightAligned);
    const std::vector<std::vector<std::string>> want = {
        {"1.", "/a.wav", "01:01.5"},
        {"2.", "/b.wav", "Not Found"},
        {"3.", "/c.wav", "01:00:00.0"},
        {"", "", "01:01:01.5"},
    };
    EXPECT_EQ(list.rows, want);
    EXPECT_EQ(SonglistList("/x.m3u", {}, {}).rows,
              (std::vector<std::vector<std::string>>{{"", "[No data found]", ""}}));
}

TEST(PlaylistDataList, ReportRowsOrNoData) {
    WavReportRow row{"intro", "soft", "00:00:00.00", "00:00:01.00", "00:00:01.00", "x2"};
    const SampleListContent list = PlaylistDataList({row}, true);
    EXPECT_EQ(list.title, "Playlist data.");
    EXPECT_EQ(list.columns.size(), 6u);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows[0][5], "x2");
    EXPECT_EQ(PlaylistDataList({}, false).rows[0][1], "[No data found]");
}

}  // namespace
}  // namespace tamberline
