#include "base/path_parts.h"

#include <gtest/gtest.h>

namespace tamberline {
namespace {

TEST(PathPartsTest, SplitsAtEitherSeparator) {
    const struct {
        const char* path;
        const char* folder;
        const char* name;
        const char* stripped;
    } cases[] = {
        {"/home/op/intro.wav", "/home/op/", "intro.wav", "/home/op/intro"},
        {"D:\\Lists\\Set\\x.m3u", "D:\\Lists\\Set\\", "x.m3u", "D:\\Lists\\Set\\x"},
        {"/mixed\\folder/a.b.wav", "/mixed\\folder/", "a.b.wav", "/mixed\\folder/a.b"},
        {"intro.wav", "", "intro.wav", "intro"},
        {"/shows/v1.2/cue", "/shows/v1.2/", "cue", "/shows/v1.2/cue"},
        {"/home/op/", "/home/op/", "", "/home/op/"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
        EXPECT_EQ(StripExtension(c.path), c.stripped) << c.path;
        EXPECT_EQ(FolderPart(c.path) + FileNamePart(c.path), c.path);
    }
}

TEST(PathPartsTest, NetworkPathsStartWithTwoSeparators) {
    EXPECT_TRUE(IsNetworkPath("\\\\pc\\share"));
    EXPECT_TRUE(IsNetworkPath("//pc/share"));
    EXPECT_TRUE(IsNetworkPath("/\\pc"));
    EXPECT_FALSE(IsNetworkPath("/pc/share"));
    EXPECT_FALSE(IsNetworkPath("\\"));
}

}  // namespace
}  // namespace tamberline
