#include "songlist/playlist_copy.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "songlist/playlist_reader.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using Paths = std::vector<std::string>;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

class CopyPlaylistTest : public ::testing::Test {
protected:
    // Gives `path` old, distinct access and modification times.
    void AgeFile(const std::string& path) {
        const struct timespec times[2] = {{1000000000, 123456789}, {1100000000, 987654321}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    testing::TempDir dir_;
};

TEST_F(CopyPlaylistTest, RewritesEveryEntryWhereItStandsAndKeepsTheRest) {
    // "intro.wav" is also the end of "sub\intro.wav", and "a.wav" is listed
    // twice: each entry is replaced on its own line only.
    const std::string source = dir_.Write("set.m3u",
                                          "#EXTM3U\r\n#EXTINF:3,intro.wav\r\n"
                                          "intro.wav\r\n  sub\\intro.wav\r\n"
                                          "a.wav\r\na.wav\r\n");
    const Paths newPaths = {"/arch/intro.wav", "/arch/intro 5F3A.wav", "/arch/a.wav",
                            "/arch/a.wav"};
    const std::string destination = dir_.File("copy.m3u");
    const std::string expected =
        "#EXTM3U\r\n#EXTINF:3,intro.wav\r\n"
        "/arch/intro.wav\r\n  /arch/intro 5F3A.wav\r\n"
        "/arch/a.wav\r\n/arch/a.wav\r\n";
    EXPECT_EQ(CopyPlaylistRewritten(source, destination, newPaths),
              static_cast<int64_t>(expected.size()));
    EXPECT_EQ(Contents(destination), expected);
    Paths entries;
    ReadPlaylist(destination, entries, false);
    EXPECT_EQ(entries, newPaths);
}

TEST_F(CopyPlaylistTest, MarkupEntriesAreWrittenAsMarkup) {
    const std::string source = dir_.Write("set.wpl",
                                          "<smil><head><title>a.wma</title></head><body><seq>\n"
                                          "<media src=\"..\\Music\\a.wma\" tid=\"{1}\"/>\n"
                                          "<media src=\"AC&amp;DC.mp3\"/>\n</seq></body></smil>\n");
    const std::string destination = dir_.File("copy.wpl");
    ASSERT_GT(CopyPlaylistRewritten(source, destination, {"/arch/a.wma", "/arch/R&B <live>.mp3"}),
              0);
    EXPECT_EQ(Contents(destination),
              "<smil><head><title>a.wma</title></head><body><seq>\n"
              "<media src=\"/arch/a.wma\" tid=\"{1}\"/>\n"
              "<media src=\"/arch/R&amp;B &lt;live>.mp3\"/>\n</seq></body></smil>\n");
    Paths entries;
    ReadPlaylist(destination, entries, false);
    EXPECT_EQ(entries, (Paths{"/arch/a.wma", "/arch/R&B <live>.mp3"}));
}

TEST_F(CopyPlaylistTest, KeepsTheSourcesFileTimes) {
    const std::string source =
        dir_.Write("set.asx", "<asx><entry><ref href=\"a.wav\"/></entry></asx>");
    AgeFile(source);
    const std::string destination = dir_.File("copy.asx");
    ASSERT_GT(CopyPlaylistRewritten(source, destination, {"/arch/a.wav"}), 0);
    struct stat copied {};
    ASSERT_EQ(::stat(destination.c_str(), &copied), 0);
    EXPECT_EQ(copied.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(copied.st_atim.tv_nsec, 123456789);
    EXPECT_EQ(copied.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(copied.st_mtim.tv_nsec, 987654321);
}

TEST_F(CopyPlaylistTest, BytesAfterAZeroByteAreCopiedToo) {
    const std::string text("<asx><entry><ref href=\"a\"/></entry></asx>\0tail", 46);
    const std::string source = dir_.Write("set.asx", text);
    const std::string destination = dir_.File("copy.asx");
    ASSERT_GT(CopyPlaylistRewritten(source, destination, {"b"}), 0);
    EXPECT_EQ(Contents(destination),
              std::string("<asx><entry><ref href=\"b\"/></entry></asx>\0tail", 46));
}

TEST_F(CopyPlaylistTest, RewritingInPlaceWorks) {
    const std::string source = dir_.Write("set.m3u", "a.wav\n");
    EXPECT_EQ(CopyPlaylistRewritten(source, source, {"/arch/a.wav"}), 12);
    EXPECT_EQ(Contents(source), "/arch/a.wav\n");
}

TEST_F(CopyPlaylistTest, NothingIsWrittenWhenTheCopyCannotBeRight) {
    const std::string source = dir_.Write("set.m3u", "a.wav\nb.wav\n");
    const std::string existing = dir_.Write("old.m3u", "keep me\n");
    const struct {
        const char* what;
        std::string source;
        std::string destination;
        Paths newPaths;
    } cases[] = {
        {"too few new paths", source, existing, {"/x.wav"}},
        {"too many new paths", source, existing, {"/x.wav", "/y.wav", "/z.wav"}},
        {"missing source", dir_.File("missing.m3u"), existing, {}},
        {"not a playlist", dir_.Write("a.wav", "a.wav\n"), existing, {"/x.wav"}},
        {"destination folder missing", source, dir_.File("none/copy.m3u"), {"/x", "/y"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CopyPlaylistRewritten(c.source, c.destination, c.newPaths), 0) << c.what;
        EXPECT_EQ(Contents(existing), "keep me\n") << c.what;
    }
    EXPECT_FALSE(Exists(dir_.File("none/copy.m3u")));
}

}  // namespace
}  // namespace tamberline
