#include <gtest/gtest.h>

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <QFile>
#include <cmath>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "playback/sound/file_reader.h"
#include "playback/sound/sound_system.h"
#include "run_fixture.h"

namespace tamberline::testing {
namespace {

// ---- preparing: lengths, fades, varispeed --------------------------------

struct PrepareCase {
    const char* what;
    int64_t frames;
    int varispeed;
    int fadeIn;
    int fadeOut;
    bool loop;
    uint32_t durationMs;
    int varispeedAfter;
    int fadeInAfter;
    int fadeOutAfter;
};

class PrepareTable : public RunFixture, public ::testing::WithParamInterface<PrepareCase> {};

TEST_P(PrepareTable, WritesRunDataBackIntoTheRecord) {
    const PrepareCase& c = GetParam();
    ButtonRecord record = Record(MonoFile("a.wav", c.frames));
    record.varispeed = static_cast<uint16_t>(c.varispeed);
    record.fadeIn = static_cast<uint16_t>(c.fadeIn);
    record.fadeOut = static_cast<uint16_t>(c.fadeOut);
    record.loop = c.loop;
    Load(7, record);
    int code = -1;
    runner_->PrepareButton(7, false, [&code](int result) { code = result; });
    ASSERT_EQ(code, kPrepared);
    const ButtonRecord& after = runner_->Record(7);
    EXPECT_EQ(after.durationMs, c.durationMs);
    EXPECT_EQ(after.varispeed, c.varispeedAfter);
    EXPECT_EQ(after.fadeIn, c.fadeInAfter);
    EXPECT_EQ(after.fadeOut, c.fadeOutAfter);
    EXPECT_EQ(after.fileSize, static_cast<int32_t>(44 + 2 * c.frames));
    ASSERT_FALSE(host_.changed.empty());
    EXPECT_EQ(host_.changed.back().button, 7);
    EXPECT_EQ(host_.changed.back().record.durationMs, c.durationMs);
    EXPECT_EQ(runner_->State(7).remainingMs, static_cast<int32_t>(c.durationMs));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrepareTable,
    ::testing::Values(
        PrepareCase{"half second", 24000, 100, 0, 0, false, 1000, 100, 0, 0},
        PrepareCase{"1234 ms", 59232, 100, 0, 0, false, 1500, 100, 0, 0},
        PrepareCase{"fades 30/30 on 4 s", 192000, 100, 30, 30, false, 4000, 100, 19, 19},
        PrepareCase{"fades 0/50 on 4 s", 192000, 100, 0, 50, false, 4000, 100, 0, 39},
        PrepareCase{"looping keeps fades", 192000, 100, 30, 30, true, 4000, 100, 30, 30},
        PrepareCase{"varispeed 5 clamps to 10", 192000, 5, 0, 0, false, 40000, 10, 0, 0},
        PrepareCase{"varispeed 250 clamps to 190", 192000, 250, 0, 0, false, 2500, 190, 0, 0}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

// ---- routing ---------------------------------------------------------------

struct PanCase {
    int pan;
    int output;
    float left;
    float right;
};

class PanTable : public RunFixture, public ::testing::WithParamInterface<PanCase> {};

TEST_P(PanTable, PairAndLevels) {
    const PanCase& c = GetParam();
    const std::string path =
        WriteMarkerFile(dir_, "s.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000, 48000);
    ButtonRecord record = Record(path, c.output);
    record.pan = static_cast<uint8_t>(c.pan);
    Load(0, record);
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    // Volume changes ramp over one period: look past it.
    const std::vector<float> block = Render(512);
    for (int speaker = 0; speaker < kSpeakerCount; ++speaker) {
        const std::vector<float> out = Speaker(block, speaker);
        const bool left = speaker == 2 * c.output;
        const bool right = speaker == 2 * c.output + 1;
        const float expected = left    ? c.left * MarkerFloat(300, 0)
                               : right ? c.right * MarkerFloat(300, 1)
                                       : 0.0f;
        EXPECT_NEAR(out[300], expected, 1e-6f) << "speaker " << speaker;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PanTable,
                         ::testing::Values(PanCase{0, 0, 1.0f, 0.01f}, PanCase{200, 0, 0.01f, 1.0f},
                                           PanCase{100, 2, 0.5f, 0.5f},
                                           PanCase{0, 3, 1.0f, 0.01f}));

// ---- fades -----------------------------------------------------------------

TEST_F(RunFixture, FadeInRisesWithElapsedTimeToTheLevel) {
    ButtonRecord record = Record(MonoFile("a.wav", 480000));
    record.fadeIn = 10;
    Load(0, record);
    runner_->StartButton(0);
    EXPECT_NEAR(Volume(0), kSilentVolume, 1e-7f);
    EXPECT_TRUE(runner_->State(0).fadeInActive);
    runner_->RunFades(500);  // half of a 1 s fade from -5000
    EXPECT_NEAR(1000.0f * std::log10(Volume(0)), -2500.0f, 1.0f);
    runner_->RunFades(500);
    EXPECT_NEAR(Volume(0), 1.0f, 1e-4f);
    EXPECT_FALSE(runner_->State(0).fadeInActive);
}

TEST_F(RunFixture, LowVolumeFadesEndAtOnce) {
    ButtonRecord record = Record(MonoFile("a.wav", 480000));
    record.volume = 40;  // level -6000: the fade rates are negative
    record.fadeIn = 10;
    record.fadeOut = 10;
    Load(0, record);
    runner_->StartButton(0);
    runner_->RunFades(10);
    EXPECT_FALSE(runner_->State(0).fadeInActive);
    EXPECT_NEAR(1000.0f * std::log10(Volume(0)), -5000.0f, 20.0f);
    runner_->ReleaseButton(0);
    EXPECT_TRUE(runner_->State(0).fadeOutActive);
    runner_->RunFades(10);
    EXPECT_FALSE(runner_->State(0).running);
    EXPECT_FALSE(runner_->State(0).onAudioEngine);
}

TEST_F(RunFixture, AutomaticFadeOutStartsWhenTheRemainingTimeReachesIt) {
    ButtonRecord record = Record(MonoFile("a.wav", 48000 * 3));
    record.fadeOut = 10;
    Load(0, record);
    runner_->StartButton(0);
    Play(1900);
    EXPECT_FALSE(runner_->State(0).fadeOutActive);
    Play(200);
    EXPECT_TRUE(runner_->State(0).fadeOutActive);
    Play(1100);
    EXPECT_FALSE(runner_->State(0).running);
}

TEST_F(RunFixture, PauseFlagFadesThenPausesAndResumesWhereItStopped) {
    ButtonRecord record = Record(MonoFile("a.wav", 480000));
    record.fadeOut = 5;
    record.flags = kFlagPause;
    Load(0, record);
    runner_->StartButton(0);
    Play(300);
    runner_->ReleaseButton(0);
    Play(600);
    ASSERT_TRUE(runner_->State(0).paused);
    EXPECT_FALSE(runner_->State(0).running);
    uint32_t position = 0;
    system_.GetPosition(runner_->State(0).channel, position, TimeUnit::kMs);
    EXPECT_GE(position, 800u);

    runner_->StartButton(0);
    EXPECT_TRUE(runner_->State(0).running);
    uint32_t resumed = 0;
    system_.GetPosition(runner_->State(0).channel, resumed, TimeUnit::kMs);
    EXPECT_EQ(resumed, position);

    // A second release during the fade pauses at once.
    runner_->ReleaseButton(0);
    EXPECT_TRUE(runner_->State(0).fadeOutActive);
    runner_->ReleaseButton(0);
    EXPECT_TRUE(runner_->State(0).paused);
    EXPECT_FALSE(runner_->State(0).fadeOutActive);
}

// ---- end of play and the run log -------------------------------------------

TEST_F(RunFixture, EndOfPlayStopsFreesTheMediaAndLogsTheRun) {
    log_->NoteSessionLoaded("/shows/Show.dbf", {2026, 5, 6, 7, 8, 9});
    Load(3, Record(MonoFile("bell.wav", 48000)));
    runner_->StartButton(3);
    const std::vector<float> out = Play(1500);
    EXPECT_NEAR(out[300], MarkerFloat(300, 0) * 0.5f, 1e-6f);
    EXPECT_FALSE(runner_->State(3).running);
    EXPECT_FALSE(runner_->State(3).onAudioEngine);
    EXPECT_EQ(runner_->State(3).playedMs % 1000, 0u);
    EXPECT_EQ(runner_->State(3).remainingMs, 1000);
    const std::string log = LogText();
    EXPECT_NE(log.find("06.05.2026 07:08:09  Show\tbell.wav\tCap\t"), std::string::npos) << log;
}

// Reads like pread up to a byte offset, then fails as a dying disk does.
class FailingReader final : public FileReader {
public:
    explicit FailingReader(int64_t failFrom) : failFrom_(failFrom) {}
    ssize_t ReadAt(int fd, void* out, size_t count, int64_t offset) override {
        if (offset + static_cast<int64_t>(count) > failFrom_) {
            return -1;
        }
        return PosixFileReader().ReadAt(fd, out, count, offset);
    }

private:
    int64_t failFrom_;
};

TEST_F(RunFixture, AReadErrorMidPlayStopsTheCueAndReportsItInsteadOfEndingIt) {
    const std::string path = MonoFile("failing.wav", 96000);
    system_.SetFileReader(std::make_shared<FailingReader>(44 + 2 * 40000));
    Load(3, Record(path));
    runner_->StartButton(3);
    ASSERT_TRUE(runner_->State(3).running);
    Play(2500);
    EXPECT_FALSE(runner_->State(3).running);
    EXPECT_EQ(host_.playErrors, (std::vector<std::pair<int, std::string>>{{3, path}}));
}

// A disk that stalls under two cues on a streaming engine: the one that ran
// dry gets one line more in the log, saying how often; the one that had
// read ahead far enough gets none.
TEST_F(RunFixture, ACueThatRanDryIsNotedOnceInTheRunLog) {
    auto backend = std::make_unique<OfflineBackend>(48000, 256, true);
    OfflineBackend* device = backend.get();
    SoundSystem streaming;
    ASSERT_EQ(streaming.SetOutputBackend(std::move(backend)), SoundResult::kOk);
    ASSERT_EQ(streaming.Init(64), SoundResult::kOk);
    auto reader = std::make_shared<GatedReader>();
    streaming.SetFileReader(reader);
    runner_->SetEngine(&streaming);
    Load(1, Record(MonoFile("long.wav", 48000 * 8)));
    Load(2, Record(MonoFile("short.wav", 48000)));
    runner_->StartButton(1);
    runner_->StartButton(2);
    ASSERT_TRUE(runner_->State(1).running);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // both read ahead
    std::vector<float> block(256 * kSpeakerCount);
    reader->shut = true;
    for (int period = 0; period < 3 * 48000 / 256; ++period) {  // 3 s: past the read-ahead
        ASSERT_TRUE(device->Mix(block.data(), 256));
        if (period % 19 == 0) {
            runner_->RunClocks(100);
        }
    }
    reader->shut = false;
    for (int period = 0; period < 100; ++period) {
        ASSERT_TRUE(device->Mix(block.data(), 256));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    runner_->StopButton(1);
    runner_->StopButton(2);
    runner_->SetEngine(&system_);
    const std::string log = LogText();
    const size_t line = log.find("\tlong.wav\tUnderruns: ");
    ASSERT_NE(line, std::string::npos) << log;
    EXPECT_EQ(log.find("\tlong.wav\tUnderruns: ", line + 1), std::string::npos) << log;
    EXPECT_NE(log.find("\tlong.wav\tCap\t"), std::string::npos) << log;
    EXPECT_NE(log.find("\tshort.wav\tCap\t"), std::string::npos) << log;
    EXPECT_EQ(log.find("\tshort.wav\tUnderruns"), std::string::npos) << log;
}

TEST_F(RunFixture, LoopingButtonKeepsPlayingPastItsEnd) {
    ButtonRecord record = Record(MonoFile("loop.wav", 4800));
    record.loop = 1;
    Load(0, record);
    runner_->StartButton(0);
    const std::vector<float> out = Play(1500);
    EXPECT_TRUE(runner_->State(0).running);
    EXPECT_NEAR(out[4800 * 12 + 7], MarkerFloat(7, 0) * 0.5f, 1e-5f);
    EXPECT_LT(runner_->State(0).remainingMs, 0);
}

// ---- groups and locks --------------------------------------------------------

struct StopGroupCase {
    const char* what;
    uint8_t starterFlags;
    uint8_t otherFlags;
    bool released;
};

class StopGroupTable : public RunFixture, public ::testing::WithParamInterface<StopGroupCase> {};

TEST_P(StopGroupTable, StartingReleasesTheGroup) {
    const StopGroupCase& c = GetParam();
    const std::string path = MonoFile("a.wav", 480000);
    ButtonRecord other = Record(path);
    other.flags = c.otherFlags;
    ButtonRecord starter = Record(path);
    starter.flags = c.starterFlags;
    Load(1, other);
    Load(2, starter);
    runner_->StartButton(1);
    runner_->StartButton(2);
    EXPECT_EQ(!runner_->State(1).running, c.released);
    EXPECT_TRUE(runner_->State(2).running);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StopGroupTable,
    ::testing::Values(StopGroupCase{"all_releases_ungrouped", kFlagStopAll, 0, true},
                      StopGroupCase{"group2_releases_group2", kFlagStopGroup2,
                                    kFlagStopGroup1 | kFlagStopGroup2, true},
                      StopGroupCase{"group2_spares_group1", kFlagStopGroup2, kFlagStopGroup1,
                                    false},
                      StopGroupCase{"no_group_spares_all", 0, kFlagStopAll, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(RunFixture, BuzzersLockTheirGroupUntilCleared) {
    const std::string path = MonoFile("a.wav", 480000);
    ButtonRecord buzzer = Record(path);
    buzzer.flags = kFlagBuzzersAndBells;
    Load(4, buzzer);
    Load(9, buzzer);
    Load(10, Record(path));
    runner_->StartButton(4);
    EXPECT_TRUE(runner_->State(4).locked);
    EXPECT_TRUE(runner_->State(9).locked);
    EXPECT_FALSE(runner_->State(10).locked);
    runner_->StartButton(9);
    EXPECT_FALSE(runner_->State(9).running);
    runner_->ClearBuzzerLocks();
    runner_->StartButton(9);
    EXPECT_TRUE(runner_->State(9).running);
    runner_->StopAll();
    EXPECT_FALSE(runner_->State(4).locked || runner_->State(9).locked);
    EXPECT_FALSE(runner_->State(4).running || runner_->State(9).running);
}

TEST_F(RunFixture, StopAllStopsRunningAndPausedAndLogsEach) {
    const std::string path = MonoFile("a.wav", 480000);
    ButtonRecord pausing = Record(path);
    pausing.flags = kFlagPause;
    Load(0, Record(path));
    Load(1, pausing);
    runner_->StartButton(0);
    runner_->StartButton(1);
    Play(300);
    runner_->ReleaseButton(1);
    ASSERT_TRUE(runner_->State(1).paused);
    runner_->StopAll();
    for (int b : {0, 1}) {
        EXPECT_FALSE(runner_->State(b).running || runner_->State(b).paused);
        EXPECT_FALSE(runner_->State(b).onAudioEngine);
    }
    const std::string log = LogText();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
}

TEST_F(RunFixture, MidiEchoQueuesNotesOnTheirChannels) {
    midi_.SetEnabled(true);
    ButtonRecord record = Record(MonoFile("a.wav", 480000));
    record.midiNote = 60;
    record.midiChannel = 2;
    Load(0, record);
    record.midiChannel = 0;
    Load(1, record);
    runner_->StartButton(0);
    runner_->StopButton(0);
    runner_->StartButton(1);
    std::vector<uint32_t> sent;
    for (uint32_t m; midi_.Pop(m);) {
        sent.push_back(m);
    }
    ASSERT_EQ(sent.size(), 18u);
    EXPECT_EQ(sent[0], 0x7F3C91u);
    EXPECT_EQ(sent[1], 0x7F3C81u);
    EXPECT_EQ(sent[2], 0x7F3C90u);
    EXPECT_EQ(sent[17], 0x7F3C9Fu);
}

// ---- failed starts -----------------------------------------------------------

TEST_F(RunFixture, MissingFileAsksClearFindOrIgnore) {
    const std::string path = dir_.File("gone.wav");
    Load(2, Record(path));
    host_.box.Answer("Clear");
    runner_->StartButton(2);
    ASSERT_EQ(host_.box.shown().size(), 1u);
    EXPECT_EQ(host_.box.shown()[0].text, "gone.wav\nCannot find this file.\n");
    EXPECT_EQ(host_.box.shown()[0].flags, mb::kClearFindIgnore | mb::kIconStop | mb::kDefault3);
    ASSERT_EQ(host_.asked.size(), 1u);
    EXPECT_EQ(host_.asked[0].path, path);
    EXPECT_EQ(host_.asked[0].code, kFileMissing);
    EXPECT_FALSE(runner_->State(2).running);
}

struct FailedCase {
    const char* what;
    std::string bytes;
    int code;
    const char* text;
};

class FailedStartTable : public RunFixture, public ::testing::WithParamInterface<FailedCase> {};

TEST_P(FailedStartTable, AsksYesNoAndIgnoreKeepsTheRecord) {
    const FailedCase& c = GetParam();
    Load(0, Record(dir_.Write("bad.wav", c.bytes)));
    host_.box.Answer("No");
    runner_->StartButton(0);
    ASSERT_EQ(host_.asked.size(), 1u);
    EXPECT_EQ(host_.asked[0].code, c.code);
    EXPECT_EQ(host_.box.Texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(host_.box.shown()[0].flags, mb::kYesNo | mb::kIconStop | mb::kDefault2);
    EXPECT_TRUE(IsAssigned(runner_->Record(0)));
    EXPECT_FALSE(runner_->State(0).running || runner_->State(0).onAudioEngine);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailedStartTable,
    ::testing::Values(FailedCase{"zero", "", kZeroSizeFile,
                                 "bad.wav\nFile is zero size.\nClear all references to it ?"},
                      FailedCase{
                          "garbage", std::string(1000, 'x'), kEngineCannotPlay,
                          "bad.wav\nASIO cannot play this file.\nClear all references to it ?"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(RunFixture, FileReplacedOrDeletedBetweenStartsIsExaminedAgain) {
    const std::string path = MonoFile("a.wav", 48000);
    Load(0, Record(path));
    runner_->StartButton(0);
    runner_->StopButton(0);
    EXPECT_EQ(runner_->Record(0).durationMs, 1000u);

    MonoFile("b.wav", 48000 * 3);
    QFile::remove(QString::fromStdString(path));
    QFile::copy(QString::fromStdString(dir_.File("b.wav")), QString::fromStdString(path));
    runner_->StartButton(0);
    EXPECT_TRUE(runner_->State(0).running);
    EXPECT_EQ(runner_->Record(0).durationMs, 3000u);
    runner_->StopButton(0);

    QFile::remove(QString::fromStdString(path));
    host_.box.Answer("Ignore");
    runner_->StartButton(0);
    EXPECT_FALSE(runner_->State(0).running);
    EXPECT_EQ(host_.asked.back().code, kFileMissing);
}

TEST_F(RunFixture, AReloadedRecordForAnotherFileStopsTheOldSound) {
    Load(0, Record(MonoFile("a.wav", 480000)));
    Load(1, Record(MonoFile("b.wav", 480000)));
    runner_->StartButton(0);
    runner_->StartButton(1);
    Load(0, ButtonRecord{});
    EXPECT_FALSE(runner_->State(0).running);
    EXPECT_FALSE(runner_->State(0).onAudioEngine);
    ButtonRecord same = Record(dir_.File("b.wav"));
    same.volume = 50;
    Load(1, same);
    EXPECT_TRUE(runner_->State(1).running) << "an edit of the same file keeps playing";
}

// ---- damaged records and late restarts ------------------------------------

TEST_F(RunFixture, RestartJustAfterTheSoundEndedPlaysAfresh) {
    Load(0, Record(MonoFile("a.wav", 4800)));
    runner_->StartButton(0);
    Render(9600);  // played out; no clock pass has seen it yet
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    EXPECT_TRUE(runner_->State(0).onAudioEngine);
    EXPECT_EQ(runner_->State(0).remainingMs, 1000);
    const std::vector<float> out = Speaker(Render(2400), 0);
    EXPECT_NE(*std::max_element(out.begin(), out.end()), 0.0f);
}

// A volume above 100 is no level above full: fades reach their end.
TEST_F(RunFixture, VolumeAboveFullIsFullLevel) {
    ButtonRecord record = Record(MonoFile("a.wav", 480000));
    record.volume = 255;
    record.fadeIn = 1;
    Load(0, record);
    runner_->StartButton(0);
    EXPECT_EQ(runner_->State(0).levelCb, 0.0f);
    Play(300);
    EXPECT_FALSE(runner_->State(0).fadeInActive);
    EXPECT_FLOAT_EQ(Volume(0), 1.0f);
}

// A songlist's fades are limited to its total length and its clamped
// varispeed is written back, as a plain file's are.
TEST_F(RunFixture, SonglistLimitsFadesAndWritesBackVarispeed) {
    MonoFile("one.wav", 48000);
    MonoFile("two.wav", 144000);
    ButtonRecord record = Record(dir_.Write("show.m3u", "one.wav\ntwo.wav\n"));
    record.fadeIn = 30;
    record.fadeOut = 30;
    record.varispeed = 5;
    Load(0, record);
    runner_->StartButton(0);
    ASSERT_TRUE(runner_->State(0).running);
    ASSERT_FALSE(host_.changed.empty());
    const ButtonRecord& reported = host_.changed.back().record;
    EXPECT_EQ(reported.durationMs, 4000u);
    EXPECT_EQ(reported.fadeIn, 19);
    EXPECT_EQ(reported.fadeOut, 19);
    EXPECT_EQ(reported.varispeed, 10);
}

// A file replaced in place by one of the same size within the tick of the
// file system's clock keeps its stamp. A stamp that was not older than the
// examination by a margin is not trusted, so the next start examines the
// file again. (A stamp in the future stands for "just written" however slow
// the machine is.)
TEST_F(RunFixture, FileRewrittenUnderTheSameStampIsExaminedAgain) {
    const std::string path = MonoFile("a.wav", 96000);  // 2 s mono
    const timespec soon[2] = {{::time(nullptr) + 3600, 0}, {::time(nullptr) + 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), soon, 0), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    Load(0, Record(path));
    runner_->StartButton(0);
    runner_->StopButton(0);
    EXPECT_EQ(runner_->Record(0).durationMs, 2000u);

    // 1 s of stereo: the same number of bytes, written into the same file.
    const std::string stereo =
        WriteMarkerFile(dir_, "b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000, 48000);
    std::ifstream in(stereo, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(static_cast<off_t>(bytes.size()), before.st_size);
    std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out) << bytes;
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    ASSERT_EQ(after.st_ino, before.st_ino);

    runner_->StartButton(0);
    EXPECT_EQ(runner_->Record(0).durationMs, 1000u);
}

TEST(SampleErrorReport, ExaminesTheFileFirst) {
    TempDir dir;
    const std::string empty = dir.Write("empty.wav", "");
    const std::string some = dir.Write("some.wav", "RIFF");
    const struct {
        std::string path;
        int kind;
        const char* text;
    } cases[] = {
        {some, 1, "some.wav\nASIO cannot play this file.\n"},
        {some, 2, "some.wav\nDirectX cannot play this file.\n"},
        {empty, 1, "empty.wav\nFile size is zero.\n"},
        {dir.File("none.wav"), 2, "none.wav\nCannot find file.\n"},
        {"/x/list.m3u", 5, "Unable to find the files in\nlist.m3u"},
    };
    for (const auto& c : cases) {
        ScriptedMessageBox box;
        ReportSampleError(box, c.path, c.kind);
        ASSERT_EQ(box.shown().size(), 1u);
        EXPECT_EQ(box.shown()[0].text, c.text);
        EXPECT_EQ(box.shown()[0].flags, mb::kOk | mb::kIconStop);
    }
}

}  // namespace
}  // namespace tamberline::testing
