#include "playback/graph/media_length.h"

#include <gtest/gtest.h>

#include "playback/graph/media_fixtures.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

constexpr int kRate = 48000;  // 48 frames to the millisecond

struct LengthCase {
    int frames;
    int32_t ms;
};

class DetectorMediaLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(DetectorMediaLengthTest, RoundsUpToAMultipleOf500) {
    testing::TempDir dir;
    const std::string path = dir.File("sample.wav");
    ASSERT_TRUE(testing::WriteWav(path, 2, kRate, GetParam().frames, testing::Ramp));
    EXPECT_EQ(DetectorMediaLength(path), GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DetectorMediaLengthTest,
                         ::testing::Values(LengthCase{48, 500},         // 1 ms
                                           LengthCase{24000, 500},      // 500 ms stays
                                           LengthCase{24048, 1000},     // 501 ms
                                           LengthCase{964800, 20500},   // 20.1 s
                                           LengthCase{1008000, 21000},  // 21.0 s
                                           LengthCase{20, 0}));         // under 1 ms

TEST(DetectorMediaLength, MeasuresCompressedFiles) {
    testing::TempDir dir;
    const std::string path = dir.File("tone.ogg");
    // 100 buffers of 1024 samples at 44.1 kHz: 2.32 s.
    ASSERT_TRUE(testing::WriteMediaFile(
        path,
        "audiotestsrc num-buffers=100 samplesperbuffer=1024 ! audioconvert ! vorbisenc ! "
        "oggmux"));
    EXPECT_EQ(DetectorMediaLength(path), 2500);
}

TEST(DetectorMediaLength, ZeroForWhatCannotBeMeasured) {
    testing::TempDir dir;
    EXPECT_EQ(DetectorMediaLength(dir.File("missing.wav")), 0);
    EXPECT_EQ(DetectorMediaLength(dir.Write("empty.wav", "")), 0);
    EXPECT_EQ(DetectorMediaLength(dir.Write("text.wav", std::string(5000, 'x'))), 0);
    EXPECT_EQ(DetectorMediaLength(dir.Path()), 0);
    EXPECT_EQ(DetectorMediaLength(""), 0);
}

}  // namespace
}  // namespace tamberline
