#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "base/message_box.h"
#include "cd/burn_list.h"
#include "cd/cd_disc.h"
#include "cd/cd_text.h"
#include "cd/image_recorder.h"
#include "cd/rip_job.h"
#include "cd/wav_check.h"
#include "cd_test_util.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

namespace fs = std::filesystem;
using testing::MakeWav;
using testing::NoiseAudio;
using testing::ReadAll;
using testing::TempDir;
using testing::WavData;

class Events final : public RipEvents {
public:
    void TrackStarted(int, int) override {}
    void Step(int) override {}
    void TrackEnded() override {}
    void TrackWritten(int track, const std::string& path) override {
        std::lock_guard lock(mutex);
        written[track] = path;
    }
    void Message(const std::string& text, unsigned) override {
        std::lock_guard lock(mutex);
        messages.push_back(text);
    }
    void Done() override { ++done; }
    std::mutex mutex;
    std::map<int, std::string> written;
    std::vector<std::string> messages;
    std::atomic<int> done{0};
};

class NullBurnEvents final : public BurnEvents {
public:
    void Compiling(int, int) override {}
    void AddProgress(uint64_t, uint64_t) override {}
    void Preparing() override {}
    void TrackProgress(int, int) override {}
    void BlockProgress(uint64_t, uint64_t) override {}
    void ClosingDisc() override {}
};

std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The ripped audio is the original followed by silence only.
void ExpectSameAudio(const std::string& ripped, const std::string& original, size_t expectedSize) {
    ASSERT_EQ(ripped.size(), expectedSize);
    ASSERT_EQ(ripped.substr(0, original.size()), original);
    EXPECT_EQ(ripped.find_first_not_of('\0', original.size()), std::string::npos);
}

struct Burnt {
    std::vector<std::string> audio;
    std::string cue;
};

Burnt BurnImage(const TempDir& dir, const std::vector<size_t>& sizes,
                const std::vector<std::string>& titles) {
    Burnt burnt;
    fs::create_directories(dir.Path() + "/src");
    BurnList list;
    std::vector<std::string> names;
    for (size_t i = 0; i < sizes.size(); ++i) {
        burnt.audio.push_back(NoiseAudio(sizes[i], static_cast<uint32_t>(i + 7)));
        names.push_back(titles[i]);
        testing::WriteAll(dir.Path() + "/src/" + titles[i], MakeWav(burnt.audio.back()));
    }
    list.Add(dir.Path() + "/src/", names, std::nullopt, CheckWavFile);
    EXPECT_EQ(list.count(), static_cast<int>(sizes.size()));
    std::vector<BurnTrack> tracks;
    for (const BurnSlot& s : list.tracks())
        tracks.push_back({s.path, s.name, s.dataSize, s.dataOffset});
    burnt.cue = dir.Path() + "/disc.cue";
    ImageRecorder recorder(burnt.cue, "Album");
    NullBurnEvents events;
    std::atomic<bool> stop{false};
    EXPECT_EQ(recorder.Burn(tracks, events, stop), "");
    return burnt;
}

TEST(CdRoundTrip, BurnToImageOpenWithLibcdioRipAndCompare) {
    TempDir dir;
    const std::vector<size_t> sizes{2352 * 400 + 1000, 352800, 2352 * 20 * 13};
    const Burnt burnt = BurnImage(dir, sizes, {"Intro.WAV", "Short one.wav", "Last: the end.wav"});
    EXPECT_FALSE(fs::exists(dir.Path() + "/.disc.bin.part"));

    std::string error;
    auto disc = OpenCdDisc(burnt.cue, &error);
    ASSERT_TRUE(disc) << error;
    const DiscToc& toc = disc->toc();
    ASSERT_EQ(toc.tracks.size(), 3u);
    // Track-at-once layout: two-second pregaps between tracks.
    EXPECT_EQ(toc.tracks[0].start, 0);
    EXPECT_EQ(toc.tracks[1].start, int32_t(TrackBlocks(sizes[0])) + 150);
    ASSERT_TRUE(toc.tracks[1].pregap);
    EXPECT_EQ(*toc.tracks[1].pregap, int32_t(TrackBlocks(sizes[0])));
    EXPECT_EQ(disc->Titles(),
              (std::vector<std::string>{"Intro.WAV", "Short one.wav", "Last: the end.wav"}));
    disc.reset();

    const std::string out = dir.Path() + "/rip";
    Events events;
    RipRequest request;
    request.source = burnt.cue;
    request.folder = out;
    request.suppressLeadIn = false;
    RipJob job(request, events);
    job.Start();
    job.Wait();
    EXPECT_EQ(events.done.load(), 1);
    EXPECT_TRUE(events.messages.empty());
    EXPECT_EQ(Files(out),
              (std::vector<std::string>{"Intro.wav", "Last_ the end.wav", "Short one.wav"}));
    for (size_t i = 0; i < sizes.size(); ++i) {
        const std::string path = events.written[int(i) + 1];
        ExpectSameAudio(WavData(path), burnt.audio[i],
                        size_t{TrackBlocks(uint32_t(sizes[i]))} * 2352);
        // A valid CD-audio WAV, as the burner's own check sees it.
        EXPECT_TRUE(CheckWavFile(path).valid);
    }

    // Ripped again: the names are taken, so " (1)" is added.
    Events again;
    RipJob second(request, again);
    second.Start();
    second.Wait();
    EXPECT_TRUE(fs::exists(out + "/Intro (1).wav"));
}

// The chosen gap rule: a gapless image (no INDEX 00) rips to exactly its
// source, where subtracting 150 sectors would have cut two seconds.
TEST(CdRoundTrip, GaplessImageKeepsEveryByte) {
    TempDir dir;
    const std::string a = NoiseAudio(2352 * 300, 1), b = NoiseAudio(2352 * 207, 2);
    testing::WriteAll(dir.File("g.bin"), a + b);
    testing::WriteAll(dir.File("g.cue"),
                      "FILE \"g.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                      "  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n");
    Events events;
    RipRequest request;
    request.source = dir.File("g.cue");
    request.folder = dir.Path() + "/out/";
    request.suppressLeadIn = false;
    RipJob job(request, events);
    job.Start();
    job.Wait();
    ASSERT_EQ(events.written.size(), 2u);
    EXPECT_EQ(WavData(events.written[1]), a);
    // 207 sectors: 10 chunks and a 7-sector rest, which is read with
    // suppression off.
    EXPECT_EQ(WavData(events.written[2]), b);
}

TEST(CdRoundTrip, LeadInSuppressionStartsAtTheFifthLoudSample) {
    TempDir dir;
    std::string audio(2352 * 100, '\0');
    // Frames 20000..: quiet but not silent, then loud samples from frame 30000.
    for (size_t f = 20000; f < 30000; ++f)
        audio[4 * f] = 100;
    const size_t loud = 30000;
    for (size_t f = loud; f < audio.size() / 4; ++f) {
        audio[4 * f + 1] = 0x10;  // left = 0x1000
    }
    testing::WriteAll(dir.File("s.bin"), audio);
    testing::WriteAll(dir.File("s.cue"),
                      "FILE \"s.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    Events events;
    RipRequest request;
    request.source = dir.File("s.cue");
    request.folder = dir.Path() + "/out";
    request.suppressLeadIn = true;
    RipJob job(request, events);
    job.Start();
    job.Wait();
    // The fifth loud sample is the left one of frame loud + 4.
    EXPECT_EQ(WavData(events.written[1]), audio.substr((loud + 4) * 4));
}

TEST(CdText, WalkIsBoundedByTheBytesReturned) {
    std::vector<uint8_t> data{0, 0, 0, 0};
    auto pack = [&](uint8_t track, const char* text12) {
        std::vector<uint8_t> p(18, 0);
        p[0] = 0x80;
        p[1] = track;
        std::memcpy(p.data() + 4, text12, 12);
        data.insert(data.end(), p.begin(), p.end());
    };
    pack(0, "Album\0One\0Tw");
    pack(1, "o\0Three\0\0\0\0\0");
    const size_t real = data.size();
    data[0] = 0xff;  // a header claiming far more than was returned
    data[1] = 0xff;
    EXPECT_EQ(CdTextTitles(data.data(), real, 3),
              (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(CdTextTitles(data.data(), real - 10, 3), (std::vector<std::string>{"One", "Tw", ""}));
    EXPECT_EQ(CdTextTitles(data.data(), 3, 3).size(), 3u);
}

TEST(CdText, TitlesBecomeSafeFileNames) {
    EXPECT_EQ(TrackFileName("Intro.WAV", 1), "Intro");
    EXPECT_EQ(TrackFileName("../../etc/passwd", 2), "_.._etc_passwd");
    EXPECT_EQ(TrackFileName("..", 3), "Track 3");
    EXPECT_EQ(TrackFileName("", 4), "Track 4");
    EXPECT_EQ(TrackFileName("a:b/c\\d", 5), "a_b_c_d");
    EXPECT_EQ(TrackFileName(std::string(300, 'x'), 6).size(), 200u);
    EXPECT_EQ(TrackFileName(std::string(150, 'x') + std::string(100, '\xc3'), 7).size() <= 200,
              true);
}

TEST(CdDisc, DamagedCueSheetIsRefusedWithAMessage) {
    TempDir dir;
    testing::WriteAll(dir.File("d.bin"), std::string(2352 * 10, '\0'));
    testing::WriteAll(dir.File("bad.cue"),
                      "FILE \"d.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 zz:00\x01\n");
    testing::WriteAll(dir.File("gone.cue"),
                      "FILE \"missing.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    testing::WriteAll(dir.File("empty.cue"), "");
    for (const char* name : {"bad.cue", "gone.cue", "empty.cue", "none.cue"}) {
        std::string error;
        EXPECT_EQ(OpenCdDisc(dir.File(name), &error), nullptr) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}

// A disc whose reads fail from a given chunk on (a disc taken out).
class FailingDisc final : public CdDisc {
public:
    explicit FailingDisc(int failFrom) : failFrom_(failFrom) {
        toc_.tracks = {{1, 0, std::nullopt, true}, {2, 100, 100, true}};
        toc_.leadout = 200;
    }
    const DiscToc& toc() const override { return toc_; }
    std::vector<std::string> Titles() override { return {"", ""}; }
    bool ReadAudio(int32_t lsn, uint32_t n, uint8_t* out) override {
        if (lsn >= failFrom_)
            return false;
        std::memset(out, 0x11, n * 2352);
        return true;
    }
    DiscToc toc_;
    int failFrom_;
};

TEST(RipJob, DiscRemovedMidRipLeavesNoHalfFile) {
    TempDir dir;
    Events events;
    RipRequest request;
    request.source = "fake";
    request.folder = dir.Path();
    request.suppressLeadIn = false;
    request.open = [](const std::string&, std::string*) {
        return std::make_unique<FailingDisc>(140);
    };
    RipJob job(request, events);
    job.Start();
    job.Wait();
    EXPECT_EQ(events.done.load(), 1);
    EXPECT_EQ(Files(dir.Path()), std::vector<std::string>{"Track 1.wav"});
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_EQ(events.messages[0], "The CD could not be read.\nTrack 2 was not ripped.");
}

// Fault: a folder-creation failure ended the worker without its done message.
TEST(RipJob, FolderFailurePostsDone) {
    TempDir dir;
    dir.Write("file", "x");
    Events events;
    RipRequest request;
    request.source = "fake";
    request.folder = dir.Path() + "/file/sub";
    request.open = [](const std::string&, std::string*) {
        return std::make_unique<FailingDisc>(1000);
    };
    RipJob job(request, events);
    job.Start();
    job.Wait();
    EXPECT_EQ(events.done.load(), 1);
    EXPECT_EQ(events.messages, std::vector<std::string>{"Unable to create the\nspecified folder."});
    // And when the disc cannot be opened.
    Events none;
    request.folder = dir.Path() + "/out";
    request.open = [](const std::string&, std::string* e) {
        *e = "No disc in drive.";
        return std::unique_ptr<CdDisc>();
    };
    RipJob job2(request, none);
    job2.Start();
    job2.Wait();
    EXPECT_EQ(none.done.load(), 1);
    EXPECT_EQ(none.messages, std::vector<std::string>{"No disc in drive."});
}

// Fault: the abort flag was cleared after the worker started, losing an
// early Cancel.
TEST(RipJob, ACancelRightAfterStartIsKept) {
    TempDir dir;
    Events events;
    std::atomic<bool> cancelled{false};
    RipRequest request;
    request.source = "fake";
    request.folder = dir.Path();
    request.open = [&](const std::string&, std::string*) {
        while (!cancelled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return std::make_unique<FailingDisc>(1000);
    };
    RipJob job(request, events);
    job.Start();
    job.Cancel();
    cancelled = true;
    job.Wait();
    EXPECT_EQ(events.done.load(), 1);
    EXPECT_TRUE(Files(dir.Path()).empty());
}

class SmallDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to mount a small file system";
        if (::mount("tmpfs", dir_.Path().c_str(), "tmpfs", 0, "size=2m") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here";
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_)
            ::umount(dir_.Path().c_str());
    }
    TempDir dir_;
    bool mounted_ = false;
};

TEST_F(SmallDisk, TooLittleSpaceForTheDiscIsRefusedFirst) {
    Events events;
    RipRequest request;
    request.source = "fake";
    request.folder = dir_.Path();
    request.open = [](const std::string&, std::string*) {
        auto disc = std::make_unique<FailingDisc>(100000);
        disc->toc_.leadout = 5000;  // 11.7 MB
        return disc;
    };
    RipJob job(request, events);
    job.Start();
    job.Wait();
    EXPECT_EQ(events.messages, std::vector<std::string>{"Insufficient space for rip."});
    EXPECT_TRUE(Files(dir_.Path()).empty());
}

// Fault: write errors were caught and ignored.
TEST_F(SmallDisk, AFullDiskAbortsTheTrackAndDeletesIt) {
    Events events;
    RipRequest request;
    request.source = "fake";
    request.folder = dir_.Path();
    request.suppressLeadIn = false;
    request.open = [](const std::string&, std::string*) {
        auto disc = std::make_unique<FailingDisc>(100000);
        disc->toc_.tracks[1] = {2, 300, 300, true};
        disc->toc_.leadout = 600;  // 1.4 MB: fits in 2 MB at the check
        return disc;
    };
    // Once the rip has begun, something else fills the disk.
    request.beforeChunk = [this](int track, int chunk) {
        if (track == 1 && chunk == 3) {
            testing::WriteAll(dir_.Path() + "/filler", std::string(2 * 1024 * 1024, 'f'));
        }
    };
    RipJob job(request, events);
    job.Start();
    job.Wait();
    EXPECT_EQ(events.done.load(), 1);
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_NE(events.messages[0].find("Unable to write"), std::string::npos);
    EXPECT_NE(events.messages[0].find("Track 1 was not ripped."), std::string::npos);
    EXPECT_EQ(Files(dir_.Path()), std::vector<std::string>{"filler"});
}

}  // namespace
}  // namespace tamberline
