// Pictures in a media graph, drawn into collectors: no display needed.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>

#include "playback/graph/gstreamer.h"
#include "playback/graph/media_fixtures.h"
#include "playback/graph/media_graph.h"
#include "playback/graph/video_fixtures.h"
#include "playback/graph/video_renderer.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using namespace std::chrono_literals;
using testing::EventWaiter;
using testing::PictureCollector;
using testing::SampleCollector;
using testing::VideoCodec;

constexpr int kRate = 44100;

class VideoGraphTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureGStreamer()); }

    std::string Clip(VideoCodec codec, bool withSound = true, int width = 320, int height = 240) {
        const std::string path = dir_.File("clip" + std::to_string(++clips_) + ".webm");
        EXPECT_TRUE(testing::WriteBarsClip(path, codec, width, height, 1.0, withSound));
        return path;
    }

    bool Render(const std::string& path) {
        sound_ = std::make_unique<SampleCollector>(kRate, 2);
        graph_.ExposeVideo(true);
        return graph_.AddRenderer(sound_->Renderer()) && graph_.RenderFile(path);
    }

    // Plays to the end; the events seen on the way.
    std::vector<MediaEventCode> PlayToEnd() {
        std::vector<MediaEventCode> seen;
        EXPECT_TRUE(graph_.Run());
        EXPECT_TRUE(events_.WaitFor(graph_, EC_COMPLETE, 10s, &seen));
        return seen;
    }

    // A second of sound, as much as the clip holds.
    size_t SoundFrames() const { return sound_->Samples().size() / 2; }

    testing::TempDir dir_;
    int clips_ = 0;
    EventWaiter events_;
    MediaGraph graph_{11, &events_};
    std::unique_ptr<SampleCollector> sound_;
};

class VideoCodecTest : public VideoGraphTest, public ::testing::WithParamInterface<VideoCodec> {};

TEST_P(VideoCodecTest, ShowsTheBarsScaledWithTheWholeSound) {
    ASSERT_TRUE(Render(Clip(GetParam())));
    ASSERT_TRUE(graph_.HasVideo());
    int width = 0;
    int height = 0;
    ASSERT_TRUE(graph_.VideoSize(width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);

    PictureCollector pictures;
    std::atomic<int> firstFrames{0};
    ASSERT_TRUE(graph_.ShowPicture(pictures.Renderer(), 160, 120, [&] { ++firstFrames; }));
    EXPECT_TRUE(graph_.ShowsPicture());
    const std::vector<MediaEventCode> seen = PlayToEnd();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), EC_USERABORT), 0);

    EXPECT_EQ(firstFrames.load(), 1);
    EXPECT_GE(pictures.Frames(), 20);  // of 25: the picture ran from the start
    std::vector<uint8_t> rgbx;
    ASSERT_TRUE(pictures.Last(rgbx, width, height));
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 120);
    std::string why;
    EXPECT_TRUE(testing::ShowsColourBars(
        width, height,
        [&](int x, int y) {
            const size_t at = (static_cast<size_t>(y) * width + x) * 4;
            return std::array<int, 3>{rgbx[at], rgbx[at + 1], rgbx[at + 2]};
        },
        &why))
        << why;
    EXPECT_GE(SoundFrames(), kRate * 95 / 100);
}

INSTANTIATE_TEST_SUITE_P(Codecs, VideoCodecTest,
                         ::testing::Values(VideoCodec::kVp8InWebM, VideoCodec::kVp9InWebM,
                                           VideoCodec::kTheoraInOgg),
                         [](const auto& info) {
                             switch (info.param) {
                                 case VideoCodec::kVp8InWebM: return "Vp8";
                                 case VideoCodec::kVp9InWebM: return "Vp9";
                                 case VideoCodec::kTheoraInOgg: return "Theora";
                             }
                             return "";
                         });

// Without a picture shown the sound plays to its end all the same.
struct SoundOnly {
    const char* name;
    bool clipHasPicture;
    // Shows the picture, or does not; returns whether ShowPicture reported
    // a picture.
    bool (*show)(MediaGraph& graph);
};

class VideoSoundOnlyTest : public VideoGraphTest,
                           public ::testing::WithParamInterface<SoundOnly> {};

TEST_P(VideoSoundOnlyTest, TheSoundPlaysWholeWithoutAbort) {
    ASSERT_TRUE(Render(Clip(VideoCodec::kVp8InWebM, true)));
    if (!GetParam().clipHasPicture) {
        // The same sound without picture.
        graph_.RemoveAll();
        const std::string path = dir_.File("tone.ogg");
        ASSERT_TRUE(testing::WriteMediaFile(
            path,
            "audiotestsrc freq=440 samplesperbuffer=1024 num-buffers=43 ! audioconvert ! "
            "vorbisenc ! oggmux"));
        ASSERT_TRUE(Render(path));
    }
    EXPECT_EQ(graph_.HasVideo(), GetParam().clipHasPicture);
    EXPECT_FALSE(GetParam().show(graph_));
    EXPECT_FALSE(graph_.ShowsPicture());
    const std::vector<MediaEventCode> seen = PlayToEnd();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), EC_USERABORT), 0);
    EXPECT_GE(SoundFrames(), kRate * 95 / 100);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VideoSoundOnlyTest,
    ::testing::Values(
        // Another button owns the display: the picture stays unconnected.
        SoundOnly{"PictureNotShown", true, [](MediaGraph&) { return false; }},
        SoundOnly{"DisplayCannotBeOpened", true,
                  [](MediaGraph& graph) {
                      return graph.ShowPicture(MakeVideoRenderer(0, ":97"), 160, 120, [] {});
                  }},
        SoundOnly{"NoRenderer", true,
                  [](MediaGraph& graph) { return graph.ShowPicture(nullptr, 160, 120, [] {}); }},
        SoundOnly{"FileWithoutPicture", false,
                  [](MediaGraph& graph) {
                      PictureCollector pictures;
                      return graph.ShowPicture(pictures.Renderer(), 160, 120, [] {});
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VideoGraphTest, DamagedClipsFailOrEndWithoutHanging) {
    const std::string whole = Clip(VideoCodec::kVp8InWebM);
    std::ifstream in(whole, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 8000u);
    std::string header = bytes;
    header.replace(0, 64, std::string(64, '\x5a'));
    EXPECT_FALSE(Render(dir_.Write("header.webm", header)));

    std::string middle = bytes;
    for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 4000; ++i) {
        middle[i] = static_cast<char>(i * 131);
    }
    for (const std::string& path : {dir_.Write("middle.webm", middle),
                                    dir_.Write("cut.webm", bytes.substr(0, bytes.size() / 2))}) {
        SCOPED_TRACE(path);
        graph_.RemoveAll();
        if (!Render(path)) {
            continue;
        }
        PictureCollector pictures;
        graph_.ShowPicture(pictures.Renderer(), 160, 120, [] {});
        ASSERT_TRUE(graph_.Run());
        MediaEvent event;
        bool ended = false;
        for (int i = 0; i < 1000 && !ended; ++i) {
            while (graph_.GetEvent(event)) {
                ended = ended || event.code == EC_COMPLETE || event.code == EC_USERABORT;
            }
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_TRUE(ended);
        graph_.RemoveAll();
    }
}

TEST_F(VideoGraphTest, AnEightKPictureGivesItsSize) {
    const std::string path = dir_.File("8k.mkv");
    ASSERT_TRUE(testing::WriteEightKClip(path));
    ASSERT_TRUE(Render(path));
    int width = 0;
    int height = 0;
    ASSERT_TRUE(graph_.VideoSize(width, height));
    EXPECT_EQ(width, 7680);
    EXPECT_EQ(height, 4320);
}

}  // namespace
}  // namespace tamberline
