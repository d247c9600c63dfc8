#include "songlist/wav_playlist.h"

#include <gtest/gtest.h>

#include <random>

#include "songlist/wav_report.h"
#include "support/temp_dir.h"
#include "wav_builder.h"

namespace tamberline {

void PrintTo(const WavSegment& s, std::ostream* out) {
    *out << "{" << s.start << ", " << s.end << ", " << s.counter << ", " << s.loopCount << ", cue "
         << s.cueId << "}";
}

namespace {

using namespace testing;

std::string Data(uint32_t frames, uint32_t bytesPerFrame = 4) {
    return Chunk("data", std::string(frames * bytesPerFrame, '\x11'));
}

// A 16-bit stereo file at 44.1 kHz with three cue points and a play list of
// three segments, the first played three times, the last until stopped.
std::string ThreeSegmentWav() {
    return Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16)) +
                Chunk("cue ", CueBody({{1, 0}, {2, 44100}, {3, 88200}})) +
                Chunk("plst", PlstBody({{2, 22050, 3}, {1, 44100, 1}, {3, 4410, 0}})) +
                Chunk("LIST", AdtlBody({{"labl", 2, "Intro"},
                                        {"note", 2, "Walk-in music"},
                                        {"labl", 1, "Caf\xE9"},
                                        {"labl", 3, "Loop"}})) +
                Data(100000));
}

struct Read {
    bool ok = false;
    WavSegmentTable table;
    WaveFormat format;
    std::vector<WavReportRow> report;
    bool moreThanTwoChannels = false;
};

Read ReadBytes(const std::string& bytes) {
    Read read;
    read.ok = ReadWavPlaylist(MemoryByteSource(bytes), read.table, read.format, &read.report,
                              &read.moreThanTwoChannels);
    return read;
}

TEST(WavPlaylistTest, ThreeSegmentsReadBackExactly) {
    TempDir dir;
    const std::string bytes = ThreeSegmentWav();
    const std::string path = dir.Write("segments.wav", bytes);
    WavSegmentTable table;
    table.currentIndex = 7;
    WaveFormat format;
    ASSERT_TRUE(ReadWavPlaylist(path, table, format));
    EXPECT_EQ(table.currentIndex, 0);
    EXPECT_EQ(table.SegmentCount(), 3);
    EXPECT_EQ(table.segments,
              (std::vector<WavSegment>{
                  {44100, 66150, 0, 3, 2}, {0, 44100, 0, 1, 1}, {88200, 92610, 0, 0, 3}}));
    EXPECT_EQ(table.dataOffset, bytes.rfind("data") + 8);
    EXPECT_EQ(table.dataSize, 400000u);
    EXPECT_EQ(table.fileSize, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 44100u);
    EXPECT_EQ(format.avgBytesPerSec, 176400u);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.bitsPerSample, 16);
}

TEST(WavPlaylistTest, ReportRowsShowHundredthsAndTheTotal) {
    const Read read = ReadBytes(ThreeSegmentWav());
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.report.size(), 4u);
    const auto row = [&](size_t i) {
        const WavReportRow& r = read.report[i];
        return std::vector<std::string>{r.label, r.note, r.start, r.end, r.length, r.plays};
    };
    EXPECT_EQ(row(0), (std::vector<std::string>{"Intro", "Walk-in music", "00:00:01.00",
                                                "00:00:01.50", "00:00:00.50", "x3"}));
    // A label in the Windows code page shows as the same letters in UTF-8.
    EXPECT_EQ(row(1), (std::vector<std::string>{"Caf\xC3\xA9", "", "00:00:00.00", "00:00:01.00",
                                                "00:00:01.00", "x1"}));
    EXPECT_EQ(row(2), (std::vector<std::string>{"Loop", "", "00:00:02.00", "00:00:02.10",
                                                "00:00:00.10", "x0"}));
    // 0.5 s x 3 + 1 s x 1; the segment played until stopped adds nothing.
    EXPECT_EQ(row(3), (std::vector<std::string>{"", "", "", "", "00:00:02.50", ""}));
}

TEST(WavPlaylistTest, TimeFormats) {
    EXPECT_EQ(FormatHundredths(0), "00:00:00.00");
    EXPECT_EQ(FormatHundredths(2 * 360000 + 3 * 6000 + 4 * 100 + 5), "02:03:04.05");
    EXPECT_EQ(FormatHundredths(100ull * 360000), "100:00:00.00");
    const struct {
        uint64_t samples;
        uint32_t rate;
        uint64_t hundredths;
    } cases[] = {
        {44100, 44100, 100},
        {11025, 22050, 50},
        {22049, 22050, 99},
        {75, 50, 150},
        {1, 0, 0},
        // The largest possible total (length x plays) converts without overflow.
        {0xFFFFFFFFull * 0xFFFFFFFFull, 100, 0xFFFFFFFFull * 0xFFFFFFFFull},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SamplesToHundredths(c.samples, c.rate), c.hundredths)
            << c.samples << "/" << c.rate;
    }
}

TEST(WavPlaylistTest, IncompleteOrBrokenPlayListsAreRejected) {
    const std::string fmt = Chunk("fmt ", FmtBody(1, 6, 48000, 24));
    const std::string cue = Chunk("cue ", CueBody({{1, 0}, {2, 100}}));
    const std::string plst = Chunk("plst", PlstBody({{1, 50, 2}, {2, 10, 1}}));
    const std::string data = Data(200, 18);
    const struct {
        const char* what;
        std::string bytes;
        bool formatRead;
    } cases[] = {
        {"plst but no cue", Riff(fmt + plst + data), true},
        {"cue but no plst", Riff(fmt + cue + data), true},
        {"no data", Riff(fmt + cue + plst), true},
        {"no fmt", Riff(cue + plst + data), false},
        {"fmt shorter than 16 bytes",
         Riff(Chunk("fmt ", FmtBody(1, 6, 48000, 24).substr(0, 14)) + cue + plst + data), false},
        {"plst counts more entries than it holds",
         Riff(fmt + cue + Chunk("plst", Le32(3) + PlstBody({{1, 50, 2}, {2, 10, 1}}).substr(4)) +
              data),
         true},
        {"plst count of 2^32 - 1",
         Riff(fmt + cue + Chunk("plst", Le32(0xFFFFFFFF) + PlstBody({{1, 50, 2}}).substr(4)) +
              data),
         true},
        {"cue counts more points than it holds",
         Riff(fmt + Chunk("cue ", Le32(9) + CueBody({{1, 0}}).substr(4)) + plst + data), true},
        {"plst of no entries", Riff(fmt + cue + Chunk("plst", PlstBody({})) + data), true},
        {"no cue point for any entry", Riff(fmt + Chunk("cue ", CueBody({{7, 0}})) + plst + data),
         true},
        {"plst cut off by the end of the file",
         Riff(fmt + cue + data + plst).substr(0, Riff(fmt + cue + data + plst).size() - 6), true},
        {"RIFX", "RIFX" + Riff(fmt + cue + plst + data).substr(4), false},
        {"AVI form", Riff(fmt + cue + plst + data).replace(8, 4, "AVI "), false},
        {"header only", Riff(""), false},
        {"eleven bytes", Riff("").substr(0, 11), false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        const Read read = ReadBytes(c.bytes);
        EXPECT_FALSE(read.ok) << c.what;
        EXPECT_TRUE(read.table.segments.empty()) << c.what;
        EXPECT_TRUE(read.report.empty()) << c.what;
        EXPECT_EQ(read.format.channels, c.formatRead ? 6 : 0) << c.what;
        EXPECT_EQ(read.moreThanTwoChannels, c.formatRead) << c.what;
    }
    WavSegmentTable table;
    WaveFormat format;
    EXPECT_FALSE(ReadWavPlaylist("/nonexistent/x.wav", table, format));
}

TEST(WavPlaylistTest, ChunksAreFoundInAnyOrderAndAcrossPadding) {
    const std::string fmt16 = Chunk("fmt ", FmtBody(1, 1, 8000, 8, false));
    const std::string cue = Chunk("cue ", CueBody({{1, 10}}));
    const std::string plst = Chunk("plst", PlstBody({{1, 20, 2}}));
    for (const std::string& chunks : {fmt16 + Data(100, 1) + Chunk("junk", "odd") + plst + cue,
                                      plst + Chunk("LIST", "INFO") + cue + Data(100, 1) + fmt16}) {
        const Read read = ReadBytes(Riff(chunks));
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.table.segments, (std::vector<WavSegment>{{10, 30, 0, 2, 1}}));
        EXPECT_EQ(read.format.extraSize, 0);
        EXPECT_FALSE(read.moreThanTwoChannels);
    }
}

TEST(WavPlaylistTest, EntriesWithoutCuePointAreLeftOutAndDuplicatesTakeTheFirst) {
    const Read read = ReadBytes(
        Riff(Chunk("fmt ", FmtBody(3, 2, 48000, 32)) +
             Chunk("cue ", CueBody({{1, 0}, {2, 500}, {2, 900}})) +
             Chunk("plst", PlstBody({{1, 100, 1}, {9, 100, 1}, {2, 100, 4}})) + Data(1000, 8)));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.table.segments,
              (std::vector<WavSegment>{{0, 100, 0, 1, 1}, {500, 600, 0, 4, 2}}));
}

TEST(WavPlaylistTest, SegmentsStayInsideTheAudioThatIsThere) {
    // The data chunk claims 1000 frames, the file holds 250.
    const std::string full = Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16)) +
                                  Chunk("cue ", CueBody({{1, 100}, {2, 400}})) +
                                  Chunk("plst", PlstBody({{1, 500, 1}, {2, 10, 1}})) +
                                  ChunkSized("data", 4000, std::string(1000, '\x22')));
    const Read read = ReadBytes(full);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.table.dataSize, 1000u);
    EXPECT_EQ(read.table.segments,
              (std::vector<WavSegment>{{100, 250, 0, 1, 1}, {250, 250, 0, 1, 2}}));
}

TEST(WavPlaylistTest, CompressedFormatsKeepTheirSampleOffsetsWithoutWrapping) {
    const Read read = ReadBytes(Riff(Chunk("fmt ", FmtBody(2, 2, 44100, 4)) +
                                     Chunk("cue ", CueBody({{1, 0xFFFFFF00}})) +
                                     Chunk("plst", PlstBody({{1, 0x1000, 1}})) + Data(10)));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.table.segments, (std::vector<WavSegment>{{0xFFFFFF00, 0xFFFFFFFF, 0, 1, 1}}));
}

TEST(WavPlaylistTest, EveryCutOfAFileIsReadSafely) {
    const std::string bytes = ThreeSegmentWav().substr(0, 700);
    for (size_t size = 0; size <= bytes.size(); ++size) {
        const std::string cut = bytes.substr(0, size);
        const Read read = ReadBytes(cut);
        if (read.ok) {
            EXPECT_LE(read.table.dataOffset + uint64_t{read.table.dataSize}, size);
        }
    }
}

TEST(WavPlaylistTest, DamagedBytesNeverLeadOutside) {
    const std::string good = ThreeSegmentWav().substr(0, 1200);
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        for (int flips = 1 + random() % 4; flips > 0; --flips) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        const Read read = ReadBytes(bytes);
        if (!read.ok) {
            continue;
        }
        ASSERT_LE(read.table.dataOffset + uint64_t{read.table.dataSize}, bytes.size());
        for (const WavSegment& segment : read.table.segments) {
            ASSERT_LE(segment.start, segment.end);
        }
    }
}

}  // namespace
}  // namespace tamberline
