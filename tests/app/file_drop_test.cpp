#include "app/file_drop.h"

#include <gtest/gtest.h>

#include "app/console_fixture.h"
#include "session/session_file.h"
#include "session/undo_journal.h"

namespace tamberline::testing {
namespace {

constexpr const char* kUnsupported =
    "Either the hardware didn't support the file type,\nor there was an error in the file.";

using FileDropTest = ConsoleTest;

TEST_F(FileDropTest, ThreeFilesOnTheLastButtonWrapToTheFirst) {
    registry_.SetDword(settings::kButtonColour, 0x123456);
    registry_.SetDword(settings::kButtonOutput, 2);
    const std::vector<std::string> files = {Sample("One.wav"), Sample("Two.flac"),
                                            Sample("Three.mp3")};
    gestures().DropFiles(files, 335);
    EXPECT_EQ(PathOf(At(335)), files[0]);
    EXPECT_EQ(CaptionOf(At(335)), "One");
    EXPECT_EQ(CaptionOf(At(0)), "Two");
    EXPECT_EQ(CaptionOf(At(1)), "Three");
    const ButtonRecord& r = At(0);
    EXPECT_EQ(r.status, STATUS_ASSIGNED);
    EXPECT_EQ(r.volume, 100);
    EXPECT_EQ(r.pan, 100);
    EXPECT_EQ(r.varispeed, 100);
    EXPECT_EQ(r.colour, 0x123456u);
    EXPECT_EQ(r.output, 2);
    EXPECT_EQ(r.durationMs, 2000u);  // what preparing found
    EXPECT_TRUE(box_.shown().empty());
    std::vector<UndoEntry> step;
    ASSERT_TRUE(model_.session().journal().ReadLastStep(step));
    EXPECT_EQ(step.size(), 3u);
    EXPECT_EQ(grid().cueIndex(), 0);
}

TEST_F(FileDropTest, AnAssignedButtonKeepsItsSettingsAndAPlayingOneStops) {
    ButtonRecord& r = Put(10, "/s/old.wav", "old");
    r.volume = 40;
    r.triggerKey = 'A';
    State(10).running = true;
    State(10).playedMs = 9000;
    gestures().DropFiles({Sample("New.wav")}, 10);
    EXPECT_EQ(run_.calls, std::vector<std::string>{"stop 10"});
    EXPECT_EQ(CaptionOf(At(10)), "New");
    EXPECT_EQ(At(10).volume, 40);
    EXPECT_EQ(At(10).triggerKey, 'A');
    EXPECT_EQ(State(10).playedMs, 0u);
}

TEST_F(FileDropTest, FilesThatCannotBeLoadedLeaveTheirButtons) {
    Put(21, "/s/keep.wav", "keep");
    const std::string bad = Sample("Bad.wav");
    run_.failPaths.insert(bad);
    gestures().DropFiles({Sample("Good.wav"), bad}, 20);
    EXPECT_EQ(CaptionOf(At(20)), "Good");
    EXPECT_EQ(CaptionOf(At(21)), "keep");
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>{bad + "\n\nFile could not be loaded.\n" + kUnsupported});
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);

    // Folders, missing files and paths too long for the record fail alike.
    box_ = ScriptedMessageBox();
    const size_t before = model_.session().journal().Length();
    gestures().DropFiles(
        {dir_.Path(), dir_.File("missing.wav"), "/" + std::string(300, 'x') + ".wav"}, 30);
    EXPECT_FALSE(IsAssigned(At(30)));
    EXPECT_FALSE(IsAssigned(At(31)));
    EXPECT_FALSE(IsAssigned(At(32)));
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{
                                std::string("Some files could not be loaded.\n") + kUnsupported});
    // Nothing assigned: the undo entries are dropped again.
    EXPECT_EQ(model_.session().journal().Length(), before);
}

TEST_F(FileDropTest, NetworkFilesAreRefusedBeforeAnythingOpens) {
    const std::string session = dir_.File("Show.dbf");
    ASSERT_EQ(WriteSessionFile(session, RecordArray{}), 0);
    gestures().DropFiles({session, "//server/share/a.wav", Sample("a.wav")}, 0);
    EXPECT_EQ(box_.Texts(), std::vector<std::string>{"Cannot load files from\na network device."});
    EXPECT_FALSE(IsAssigned(At(0)));
    EXPECT_NE(model_.session().sessionPath(), session);
}

TEST_F(FileDropTest, ADroppedSessionIsOpened) {
    auto records = std::make_unique<RecordArray>();
    (*records)[5] = Assigned("/s/x.wav", "from file");
    const std::string session = dir_.File("Show.DBF");
    ASSERT_EQ(WriteSessionFile(session, *records), 0);
    gestures().DropFiles({session, Sample("a.wav")}, 0);
    EXPECT_EQ(model_.session().sessionPath(), session);
    EXPECT_EQ(CaptionOf(At(5)), "from file");
    EXPECT_FALSE(IsAssigned(At(0)));
}

TEST_F(FileDropTest, CdTracksGoToTheRipper) {
    gestures().DropFiles({"/cdrom/Track03.cda", "/cdrom/Track11.cda"}, 0);
    EXPECT_EQ(hooks_.ripperTracks, (std::vector<int>{3, 11}));
    EXPECT_FALSE(IsAssigned(At(0)));
    EXPECT_EQ(CdTrackOf("Track7.cda"), -1);
    EXPECT_EQ(CdTrackOf("x"), -1);
}

// The session and the grid ask one link state: as it changes, both follow.
TEST_F(FileDropTest, SessionAndGridFollowTheOneLinkState) {
    Put(0, "/s/a.wav");
    model_.session().BeginChange();
    model_.session().AppendUndoEntry(1);
    Put(1, "/s/b.wav");
    model_.session().EndChange(false);
    link_.SetRole(LinkRole::kMaster);
    model_.RunCommand(cmd::kNew);  // a master asks nothing
    EXPECT_TRUE(box_.shown().empty());
    gestures().DropFiles({Sample("c.wav")}, 0);
    EXPECT_EQ(box_.shown().size(), 1u);
    link_.SetRole(LinkRole::kNone);
    box_.Answer("No");
    Put(2, "/s/c.wav");
    model_.session().BeginChange();
    model_.session().AppendUndoEntry(3);
    Put(3, "/s/d.wav");
    model_.session().EndChange(false);
    model_.RunCommand(cmd::kNew);
    EXPECT_EQ(box_.shown().size(), 2u);
    gestures().DropFiles({Sample("e.wav")}, 5);
    EXPECT_TRUE(IsAssigned(At(5)));
}

TEST_F(FileDropTest, OutsideTheGridOrOnAMasterNothingIsAssigned) {
    gestures().DropFiles({Sample("a.wav")}, -1);
    EXPECT_FALSE(IsAssigned(At(0)));
    EXPECT_TRUE(box_.shown().empty());
    link_.SetRole(LinkRole::kMaster);
    gestures().DropFiles({Sample("a.wav")}, 0);
    EXPECT_FALSE(IsAssigned(At(0)));
    EXPECT_EQ(box_.Texts(),
              std::vector<std::string>{"Cannot assign the buttons\nof a remote slave."});
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconStop);
}

}  // namespace
}  // namespace tamberline::testing
