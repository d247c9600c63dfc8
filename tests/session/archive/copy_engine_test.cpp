#include "session/archive/copy_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive_fixture.h"
#include "session/archive/copy_plan.h"
#include "songlist/playlist_reader.h"
#include "songlist/wav_builder.h"

namespace tamberline {
namespace {

using namespace testing;
using Names = std::vector<std::string>;

uint64_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_ino) : 0;
}

// A WAV carrying a play list: two cue points played in turn.
std::string WavWithPlayList() {
    const std::string pcm(4000, '\x11');
    return Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16, false)) + Chunk("data", pcm) +
                Chunk("cue ", CueBody({{1, 0}, {2, 500}})) +
                Chunk("plst", PlstBody({{1, 500, 1}, {2, 500, 2}})));
}

// Every field of a record, the path left out, with values that tell the
// buttons apart.
ButtonRecord Dressed(const std::string& path, int n) {
    ButtonRecord r = Assigned(path, "Cue " + std::to_string(n) + "\r\nline two");
    r.output = static_cast<uint8_t>(n % 4);
    r.volume = static_cast<uint8_t>(90 - n);
    r.pan = static_cast<uint8_t>(60 + n);
    r.varispeed = static_cast<uint16_t>(95 + n);
    r.flags = static_cast<uint8_t>(kFlagStopGroup1 | (n % 2 ? kFlagPause : 0));
    r.midiNote = static_cast<uint8_t>(60 + n);
    r.midiChannel = static_cast<uint8_t>(n % 16 + 1);
    r.triggerKey = static_cast<uint8_t>(0x41 + n);
    r.gameTrigger = static_cast<uint8_t>(n + 1);
    r.fadeIn = static_cast<uint16_t>(10 * n);
    r.fadeOut = static_cast<uint16_t>(20 * n);
    r.colour = 0x00102030u + static_cast<uint32_t>(n);
    r.loop = static_cast<uint8_t>(n % 2);
    r.fileSize = 1000 + n;
    r.multiChannel = 0;
    r.durationMs = 5000u + static_cast<uint32_t>(n);
    r.hasSegments = 0;
    r.startTime = 108000u * static_cast<uint32_t>(n);
    r.startTimeOn = static_cast<uint8_t>(n % 2);
    r.startGroup = static_cast<uint8_t>(n % 17);
    return r;
}

// Every byte of the two records but the path and the size, which follows
// the file (run data are refreshed from the samples before the copy).
void ExpectSameButPath(ButtonRecord a, ButtonRecord b) {
    SetPath(a, "");
    SetPath(b, "");
    a.fileSize = b.fileSize = 0;
    const auto* x = reinterpret_cast<const uint8_t*>(&a);
    const auto* y = reinterpret_cast<const uint8_t*>(&b);
    for (size_t i = 0; i < sizeof a; ++i) {
        ASSERT_EQ(x[i], y[i]) << "at offset " << i;
    }
}

// A show in several folders: WAV and FLAC, a sample outside the show's
// folder, two different files named intro.wav, a songlist naming a sample
// of the show and one from elsewhere, a WAV with a play list, and two
// buttons on one file.
class ArchiveRoundTripTest : public ArchiveTest {
protected:
    void SetUp() override {
        show_ = Folder("Show");
        elsewhere_ = Folder("Elsewhere");
        WriteSound(show_ + "Drums/kick.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3000, 1);
        WriteSound(show_ + "Drums/Loops/loop.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 9000, 2);
        WriteSound(elsewhere_ + "intro.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2000, 3);
        WriteSound(show_ + "Vox/intro.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2500, 4);
        WriteSound(elsewhere_ + "bed.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 4000, 5);
        WriteBytes(show_ + "Lists/set.m3u",
                   "#EXTM3U\r\n../Drums/kick.wav\r\n" + elsewhere_ + "bed.flac\r\n");
        WriteBytes(show_ + "Cues/cues.wav", WavWithPlayList());
        SetTime(elsewhere_ + "intro.wav", 1600000000);
        SetTime(show_ + "Vox/intro.wav", 1600000123);
        samples_ = {show_ + "Drums/kick.wav", show_ + "Drums/Loops/loop.flac",
                    elsewhere_ + "intro.wav", show_ + "Vox/intro.wav",
                    show_ + "Lists/set.m3u",  show_ + "Cues/cues.wav",
                    show_ + "Drums/kick.wav"};
        auto records = std::make_unique<RecordArray>();
        for (size_t i = 0; i < samples_.size(); ++i) {
            // Spread over the pages: button 0, 50, 100, ...
            (*records)[i * 50] = Dressed(samples_[i], static_cast<int>(i));
        }
        (*records)[250].hasSegments = 1;
        original_ = *records;
        OpenSession(show_ + "Show.dbf", *records);
    }

    void WriteArchive(const std::string& folder) {
        dialog_.Choose(folder, "Show.dbx");
        Commands(runner_).WriteArchive();
    }

    std::string show_, elsewhere_;
    std::vector<std::string> samples_;
    RecordArray original_{};
};

TEST_F(ArchiveRoundTripTest, AnArchiveReadBackGivesEverySampleAndEveryField) {
    const std::string archive = Folder("Archive");
    WriteArchive(archive);
    EXPECT_EQ(box_.Texts(), Names{});
    const std::string clash = "intro " + [] {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", 1600000123u);
        return std::string(hex);
    }() + ".wav";
    EXPECT_EQ(FilesUnder(archive), (Names{"Show.dbx", "bed.flac", "cues.wav", clash, "intro.wav",
                                          "kick.wav", "loop.flac", "set.m3u"}));
    const auto stored = ReadFile(archive + "Show.dbx");
    const Names storedPaths = {"\\Drums\\kick.wav", "\\Drums\\Loops\\loop.flac", "\\intro.wav",
                               "\\Vox\\" + clash,   "\\Lists\\set.m3u",          "\\Cues\\cues.wav",
                               "\\Drums\\kick.wav"};
    for (size_t i = 0; i < storedPaths.size(); ++i) {
        EXPECT_EQ(PathOf((*stored)[i * 50]), storedPaths[i]);
    }
    Names entries;
    ReadPlaylist(archive + "set.m3u", entries, false);
    EXPECT_EQ(entries, (Names{"kick.wav", "bed.flac"}));
    EXPECT_EQ((*stored)[200].fileSize, static_cast<int32_t>(Bytes(archive + "set.m3u").size()));

    // Read back elsewhere, keeping the folders.
    const std::string restored = Folder("Restored");
    dialog_.Choose(archive, "Show.dbx", true);
    dialog_.Choose(restored, "Show.dbf");
    Commands(runner_).ReadArchive();
    EXPECT_EQ(box_.Texts(), Names{});
    EXPECT_EQ(session_->sessionPath(), restored + "Show.dbf");
    EXPECT_EQ(dialog_.requests[2].title, "Extract archive to session file.");
    EXPECT_EQ(dialog_.requests[2].initialPath, show_ + "Show.dbf");
    const Names destinations = {restored + "Drums/kick.wav", restored + "Drums/Loops/loop.flac",
                                restored + "intro.wav",      restored + "Vox/" + clash,
                                restored + "Lists/set.m3u",  restored + "Cues/cues.wav",
                                restored + "Drums/kick.wav"};
    for (size_t i = 0; i < samples_.size(); ++i) {
        const ButtonRecord& record = session_->records()[i * 50];
        EXPECT_EQ(PathOf(record), destinations[i]);
        ExpectSameButPath(record, original_[i * 50]);
        EXPECT_EQ(record.fileSize, static_cast<int32_t>(Bytes(destinations[i]).size()));
        if (i != 4) {
            EXPECT_EQ(Bytes(destinations[i]), Bytes(samples_[i])) << destinations[i];
        }
    }
    ReadPlaylist(restored + "Lists/set.m3u", entries, false);
    EXPECT_EQ(entries, (Names{restored + "Drums/kick.wav", restored + "bed.flac"}));
    EXPECT_EQ(Bytes(restored + "bed.flac"), Bytes(elsewhere_ + "bed.flac"));
    EXPECT_EQ(session_->records()[200].fileSize,
              static_cast<int32_t>(Bytes(restored + "Lists/set.m3u").size()));
    // Nothing else was made: one copy of the file two buttons share.
    EXPECT_EQ(FilesUnder(restored).size(), 8u);
    EXPECT_EQ(ReadFile(restored + "Show.dbf")->at(300).status, STATUS_ASSIGNED);
}

TEST_F(ArchiveRoundTripTest, WritingAgainCopiesOnlyWhatChanged) {
    const std::string archive = Folder("Archive");
    WriteArchive(archive);
    const uint64_t kick = Inode(archive + "kick.wav");
    const uint64_t loop = Inode(archive + "loop.flac");
    // Re-edited at the same length: only the time tells the versions apart.
    const std::string before = Bytes(show_ + "Drums/kick.wav");
    WriteSound(show_ + "Drums/kick.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3000, 7);
    ASSERT_EQ(Bytes(show_ + "Drums/kick.wav").size(), before.size());
    SetTime(show_ + "Drums/kick.wav", 1700000000);
    WriteArchive(archive);
    EXPECT_EQ(box_.Texts(), Names{});
    EXPECT_EQ(Inode(archive + "kick.wav"), kick);
    EXPECT_EQ(Bytes(archive + "kick.wav"), before);
    EXPECT_EQ(Inode(archive + "loop.flac"), loop);
    const auto stored = ReadFile(archive + "Show.dbx");
    EXPECT_EQ(PathOf((*stored)[0]), "\\Drums\\kick 6553F100.wav");
    EXPECT_EQ(PathOf((*stored)[300]), "\\Drums\\kick 6553F100.wav");
    EXPECT_EQ(Bytes(archive + "kick 6553F100.wav"), Bytes(show_ + "Drums/kick.wav"));
    Names entries;
    ReadPlaylist(archive + "set.m3u", entries, false);
    EXPECT_EQ(entries, (Names{"kick 6553F100.wav", "bed.flac"}));
}

TEST_F(ArchiveRoundTripTest, CloneKeepsFoldersWhenAskedAndLeavesTheConsoleOnTheSession) {
    const std::string target = Folder("Clone");
    dialog_.Choose(target, "Copy.dbf", true);
    Commands(runner_).CloneSession();
    ASSERT_EQ(dialog_.requests.size(), 1u);
    EXPECT_TRUE(dialog_.requests[0].preserveFolderStructure);
    EXPECT_EQ(dialog_.requests[0].title, "Clone this session.");
    EXPECT_EQ(box_.Texts(), (Names{"The session is cloned to\n" + target +
                                   "Copy.dbf\n\nThis session stays open; open the clone to "
                                   "work on it."}));
    EXPECT_EQ(session_->sessionPath(), show_ + "Show.dbf");
    const auto clone = ReadFile(target + "Copy.dbf");
    EXPECT_EQ(PathOf((*clone)[0]), target + "Drums/kick.wav");
    EXPECT_EQ(PathOf((*clone)[100]), target + "intro.wav");
    EXPECT_EQ(PathOf((*clone)[150]), target + "Vox/intro.wav");
    EXPECT_EQ(Bytes(target + "Vox/intro.wav"), Bytes(show_ + "Vox/intro.wav"));
    Names entries;
    ReadPlaylist(target + "Lists/set.m3u", entries, false);
    EXPECT_EQ(entries, (Names{target + "Drums/kick.wav", target + "bed.flac"}));

    // Onto itself: refused before anything is copied.
    dialog_.Choose(show_, "Show.dbf");
    Commands(runner_).CloneSession();
    EXPECT_EQ(box_.Texts().back(), "Cannot clone a session to itself.");
}

TEST_F(ArchiveRoundTripTest, ACancelWritesNoArchiveAndLeavesNoPartFile) {
    const std::string archive = Folder("Archive");
    // The first sample is 12 blocks long: the cancel comes in the second.
    int blocks = 0;
    WaitingCopyRunner cancelling(
        [&blocks](CopyControl& control) {
            control.SetBlockHook([&blocks](CopyControl& c) {
                if (++blocks == 15) {
                    c.Cancel();
                }
            });
        },
        1024);
    dialog_.Choose(archive, "Show.dbx");
    Commands(cancelling).WriteArchive();
    EXPECT_EQ(box_.Texts(), Names{});
    EXPECT_EQ(FilesUnder(archive), Names{"kick.wav"});
    EXPECT_EQ(Bytes(archive + "kick.wav"), Bytes(show_ + "Drums/kick.wav"));
}

TEST_F(ArchiveRoundTripTest, FilesThatCouldNotBeCopiedAreListedAndAFailedWriteIsAFailure) {
    ASSERT_EQ(::unlink((show_ + "Vox/intro.wav").c_str()), 0);
    const std::string archive = Folder("Archive");
    WriteArchive(archive);
    EXPECT_EQ(box_.Texts(), (Names{"These files were not copied:\n\n" + show_ +
                                   "Vox/intro.wav\n    No such file or directory"}));
    EXPECT_TRUE(FileExists(archive + "Show.dbx"));

    // The archive file cannot be written: the run fails and says why.
    const std::string blocked = Folder("Blocked");
    Folder("Blocked/Show.dbx");
    SessionCopy copy;
    ASSERT_EQ(PlanSessionCopy(CopyMode::kWriteArchive, show_ + "Show.dbf", blocked + "Show.dbx",
                              false, copy),
              "");
    CopyControl control;
    const CopyOutcome outcome = RunSessionCopy(copy, control);
    EXPECT_EQ(outcome.kind, CopyOutcome::Kind::kFailed);
    EXPECT_EQ(outcome.failure, blocked + "Show.dbx\n\nIs a directory");
}

// An archive as the Windows program writes it, built byte by byte: drive
// letters, backslashes, a path that climbs out, a record naming no file,
// and a songlist with CR LF and Windows paths.
TEST_F(ArchiveTest, AWindowsArchiveReadsIntoTheChosenFolderOnly) {
    const std::string archive = Folder("Stick");
    WriteBytes(archive + "kick.wav", "RIFF kick");
    WriteBytes(archive + "snare.wav", "RIFF snare");
    WriteBytes(archive + "evil.wav", "RIFF evil");
    WriteBytes(archive + "set.m3u", "#EXTM3U\r\nC:\\Archive\\kick.wav\r\nsnare.wav\r\n");
    std::string bytes(kSessionFileSize, '\0');
    const auto put = [&bytes](int button, const std::string& path, uint8_t volume) {
        const size_t at = static_cast<size_t>(button) * kRecordSize;
        bytes.replace(at, path.size(), path);
        bytes[at + 0x105] = static_cast<char>(volume);
        bytes[at + 0x108] = 100;  // varispeed, little-endian
        bytes[at + 0x219] = 9;
    };
    put(0, "\\Sub\\kick.wav", 80);
    put(1, "C:\\Users\\op\\Show\\snare.wav", 81);
    put(2, "\\..\\..\\..\\etc\\evil.wav", 82);
    put(3, "\\Lists\\set.m3u", 83);
    put(4, "\\", 84);
    WriteBytes(archive + "Show.dbx", bytes);

    const std::string target = Folder("Stage/New");
    dialog_.Choose(archive, "Show.dbx", true);
    dialog_.Choose(target, "Show.dbf");
    box_.Answer("Ok");
    Commands(runner_).ReadArchive();
    EXPECT_EQ(box_.Texts(),
              Names{"These files were not copied:\n\n\\\n    No such file or directory"});
    EXPECT_EQ(FilesUnder(dir_.File("Stage")),
              (Names{"New/Lists/set.m3u", "New/Show.dbf", "New/Sub/kick.wav", "New/etc/evil.wav",
                     "New/snare.wav"}));
    const RecordArray& records = session_->records();
    EXPECT_EQ(PathOf(records[0]), target + "Sub/kick.wav");
    EXPECT_EQ(records[0].volume, 80);
    EXPECT_EQ(PathOf(records[1]), target + "snare.wav");
    EXPECT_EQ(PathOf(records[2]), target + "etc/evil.wav");
    EXPECT_EQ(Bytes(target + "etc/evil.wav"), "RIFF evil");
    EXPECT_FALSE(IsAssigned(records[4]));
    Names entries;
    ReadPlaylist(target + "Lists/set.m3u", entries, false);
    EXPECT_EQ(entries, (Names{target + "Sub/kick.wav", target + "snare.wav"}));
}

// Cut within the first two records, at every record's edge and within
// the last two records (every length would take minutes for nothing more).
TEST_F(ArchiveTest, TruncatedArchivesAreRefused) {
    const std::string archive = Folder("Archive");
    const std::string path = archive + "Show.dbx";
    const std::string target = Folder("New") + "Show.dbf";
    WriteBytes(path, std::string(kSessionFileSize + 1, '\x09'));
    std::vector<size_t> lengths;
    for (size_t length = 0; length < 2 * kRecordSize; ++length) {
        lengths.push_back(length);
        lengths.push_back(kSessionFileSize + 1 - length);
    }
    for (size_t edge = kRecordSize; edge < kSessionFileSize; edge += kRecordSize) {
        lengths.insert(lengths.end(), {edge - 1, edge, edge + 1});
    }
    std::erase(lengths, kSessionFileSize);
    std::sort(lengths.begin(), lengths.end(), std::greater<>());
    for (const size_t length : lengths) {
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(length)), 0);
        SessionCopy copy;
        ASSERT_EQ(PlanSessionCopy(CopyMode::kReadArchive, path, target, true, copy),
                  path + "\n\nArchive file is not valid.\n")
            << length;
    }
    for (const size_t length : {size_t{0}, size_t{591}, kSessionFileSize - 1}) {
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(length)), 0);
        dialog_.Choose(archive, "Show.dbx");
        box_.Answer("Sorry");
        Commands(runner_).ReadArchive();
        EXPECT_EQ(box_.Texts().back(), path + "\n\nArchive file is not valid.\n");
    }
    dialog_.Choose(archive, "Gone.dbx");
    box_.Answer("Sorry");
    Commands(runner_).ReadArchive();
    EXPECT_EQ(box_.Texts().back(), "Cannot find archive file:\n" + archive + "Gone.dbx");
    EXPECT_EQ(box_.shown().back().flags, mb::kSorry | mb::kIconStop);
    EXPECT_EQ(FilesUnder(dir_.File("New")), Names{});
}

TEST_F(ArchiveTest, DuplicateAndOverlongNamesInAnArchive) {
    const std::string archive = Folder("Archive");
    WriteBytes(archive + "x.wav", "one file");
    auto records = std::make_unique<RecordArray>();
    (*records)[0] = Assigned("\\a\\x.wav");
    (*records)[1] = Assigned("\\b\\X.wav");  // the same file on a system that ignores case
    (*records)[2] = Assigned("\\b\\x.wav");
    ASSERT_EQ(WriteSessionFile(archive + "Show.dbx", *records), 0);
    const std::string target = Folder("New");
    SessionCopy copy;
    ASSERT_EQ(PlanSessionCopy(CopyMode::kReadArchive, archive + "Show.dbx", target + "Show.dbf",
                              false, copy),
              "");
    CopyControl control;
    EXPECT_TRUE(RunSessionCopy(copy, control).Done());
    EXPECT_EQ(FilesUnder(target), (Names{"Show.dbf", "x.wav"}));
    EXPECT_EQ(PathOf((*copy.records)[0]), target + "x.wav");
    EXPECT_EQ(PathOf((*copy.records)[2]), target + "x.wav");

    // A folder so deep that the path would not fit the record's field.
    WriteBytes(archive + "y.wav", "another file");
    (*records)[1] =
        Assigned("\\" + std::string(200, 'd') + "\\" + std::string(50, 'e') + "\\y.wav");
    ASSERT_EQ(WriteSessionFile(archive + "Deep.dbx", *records), 0);
    const std::string refusal = PlanSessionCopy(CopyMode::kReadArchive, archive + "Deep.dbx",
                                                Folder("Deep") + "Deep.dbf", true, copy);
    EXPECT_NE(refusal.find("This path is longer than 259 characters."), std::string::npos)
        << refusal;
    EXPECT_EQ(FilesUnder(dir_.File("Deep")), Names{});
}

TEST_F(ArchiveTest, RunningButtonsStopTheCommands) {
    running_ = true;
    box_.Answer("Ok");
    Commands(runner_).WriteArchive();
    box_.Answer("Ok");
    Commands(runner_).CloneSession();
    EXPECT_EQ(box_.Texts(), (Names{"All buttons must be stopped \nto use Archive.",
                                   "All buttons must be stopped \nto Clone."}));
    EXPECT_EQ(box_.shown()[0].flags, mb::kOk | mb::kIconInformation);
    EXPECT_TRUE(dialog_.requests.empty());
}

}  // namespace
}  // namespace tamberline
