#include "session/archive/archive_paths.h"

#include <gtest/gtest.h>

#include "base/path_compare.h"

namespace tamberline {
namespace {

TEST(ArchivePathsTest, PreservedPathsNeverClimbOutOfTheNewFolder) {
    const struct {
        const char* stored;
        const char* relative;
    } cases[] = {
        {"\\kick.wav", "kick.wav"},
        {"\\Drums\\Loops\\kick.wav", "Drums/Loops/kick.wav"},
        {"/Drums/kick.wav", "Drums/kick.wav"},  // written here, or an absolute path
        {"\\..\\..\\etc\\passwd", "etc/passwd"},
        {"..\\..\\x.wav", "x.wav"},
        {"\\Drums\\.\\..\\kick.wav", "Drums/kick.wav"},
        {"\\\\server\\share\\a.wav", "server/share/a.wav"},
        {"C:\\Show\\Sub\\snare.wav", "snare.wav"},  // a drive: the file name only
        {"d:/x/../../y.wav", "y.wav"},
        {"\\..", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SafeRelativePath(c.stored), c.relative) << c.stored;
    }
}

TEST(ArchivePathsTest, StoredPathsStartWithABackslashAndUseBackslashes) {
    EXPECT_EQ(ArchiveStoredPath("", "intro.wav"), "\\intro.wav");
    EXPECT_EQ(ArchiveStoredPath("Drums/Loops/", "kick 5F5E1000.wav"),
              "\\Drums\\Loops\\kick 5F5E1000.wav");
    EXPECT_EQ(RelativeInside("/show/", "/show/Drums/kick.wav"), "Drums/kick.wav");
    EXPECT_EQ(RelativeInside("/show/", "/show/../etc/kick.wav"), "");
    EXPECT_EQ(RelativeInside("/show/", "/showtime/kick.wav"), "");
    EXPECT_EQ(RelativeInside("/show/", "/other/kick.wav"), "");
}

TEST(ArchivePathsTest, ClashNamesPutTheStampBeforeTheExtension) {
    EXPECT_EQ(ClashName("/a/intro.wav", 0x5F5E1000), "/a/intro 5F5E1000.wav");
    EXPECT_EQ(ClashName("/a.b/intro", 0xABC), "/a.b/intro ABC");
    EXPECT_EQ(ClashName("/a/intro.wav", 0x10, 2), "/a/intro 10 (2).wav");
    EXPECT_TRUE(SamePathIgnoringCase("/A/Intro.WAV", "/a/intro.wav"));
    EXPECT_FALSE(SamePathIgnoringCase("/a/intro.wav", "/a/intro.wa"));
}

}  // namespace
}  // namespace tamberline
