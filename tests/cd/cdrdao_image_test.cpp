#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cd/cd_disc.h"
#include "cd/rip_job.h"
#include "cd_test_util.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

namespace fs = std::filesystem;
using testing::NoiseAudio;
using testing::TempDir;
using testing::WavData;

class Collect final : public RipEvents {
public:
    void TrackStarted(int, int) override {}
    void Step(int) override {}
    void TrackEnded() override {}
    void TrackWritten(int track, const std::string& path) override { written[track] = path; }
    void Message(const std::string& text, unsigned) override { messages.push_back(text); }
    void Done() override { ++done; }
    std::map<int, std::string> written;
    std::vector<std::string> messages;
    int done = 0;
};

// A disc image described by a TOC file written here by hand in cdrdao's
// language (not by our image recorder), read as libcdio reads it and as
// cdrdao's own toc2cue turns it into a CUE sheet.
TEST(CdrdaoImage, IndependentTocFileRipsToItsAudio) {
    TempDir dir;
    const std::string a = NoiseAudio(2352 * 100, 31), b = NoiseAudio(2352 * 150, 32);
    const std::string gap(2352 * 150, '\0');
    const std::string cdText = R"(CD_DA
CD_TEXT {
  LANGUAGE_MAP { 0 : EN }
  LANGUAGE 0 {
    TITLE "Album"
    PERFORMER "Someone"
  }
}
TRACK AUDIO
CD_TEXT {
  LANGUAGE 0 {
    TITLE "First song"
  }
}
FILE "NAME.bin" 0 0:1:25
TRACK AUDIO
CD_TEXT {
  LANGUAGE 0 {
    TITLE "Second/song"
  }
}
)";
    auto named = [&](const std::string& stem) {
        std::string text = cdText;
        text.replace(text.find("NAME"), 4, stem);
        return text;
    };
    // Gapless, opened by libcdio as it is.
    testing::WriteAll(dir.File("gapless.bin"), a + b);
    testing::WriteAll(dir.File("gapless.toc"),
                      named("gapless") + "FILE \"gapless.bin\" 0:1:25 0:2:0\n");
    // With a two-second pregap in the data (START): libcdio's TOC driver
    // counts the pregap twice in the lead-out, so this one goes through
    // cdrdao's toc2cue, whose CUE sheet libcdio reads right.
    testing::WriteAll(dir.File("gap.bin"), a + gap + b);
    testing::WriteAll(dir.File("gap.toc"),
                      named("gap") + "FILE \"gap.bin\" 0:1:25 0:4:0\nSTART 0:2:0\n");
    std::vector<std::string> sources{dir.File("gapless.toc")};
    const std::string toc2cue =
        "toc2cue '" + dir.File("gap.toc") + "' '" + dir.File("gap.cue") + "' >/dev/null 2>&1";
    if (std::system(toc2cue.c_str()) == 0 && fs::exists(dir.File("gap.cue"))) {
        sources.push_back(dir.File("gap.cue"));
    } else {
        ADD_FAILURE() << "toc2cue (package cdrdao) did not run";
    }
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        std::string error;
        auto disc = OpenCdDisc(source, &error);
        ASSERT_TRUE(disc) << error;
        ASSERT_EQ(disc->toc().tracks.size(), 2u);
        EXPECT_EQ(disc->toc().tracks[1].start, source.ends_with(".toc") ? 100 : 250);
        if (source.ends_with(".toc")) {
            EXPECT_EQ(disc->Titles(), (std::vector<std::string>{"First song", "Second/song"}));
        }
        const int32_t leadout = disc->toc().leadout;
        disc.reset();
        const std::string out = dir.Path() + "/out-" + fs::path(source).stem().string();
        Collect events;
        RipRequest request;
        request.source = source;
        request.folder = out;
        request.suppressLeadIn = false;
        RipJob job(request, events);
        job.Start();
        job.Wait();
        EXPECT_EQ(events.done, 1);
        EXPECT_TRUE(events.messages.empty()) << "lead-out " << leadout;
        ASSERT_EQ(events.written.size(), 2u);
        EXPECT_EQ(WavData(events.written[1]), a);
        EXPECT_EQ(WavData(events.written[2]), b);
        if (source.ends_with(".toc")) {
            EXPECT_TRUE(fs::exists(out + "/Second_song.wav"));
        }
    }
}

}  // namespace
}  // namespace tamberline
