#include "songlist/playlist_paths.h"

#include <gtest/gtest.h>

#include "songlist/media_length.h"
#include "songlist/own_shares.h"
#include "songlist/playlist_reader.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using Paths = std::vector<std::string>;

std::string Resolved(const std::string& playlist, const std::string& entry,
                     const ShareSettings& shares = {}) {
    Paths entries = {entry};
    ResolvePlaylistPaths(playlist, entries, shares);
    return entries[0];
}

TEST(ResolvePlaylistPathsTest, RelativeEntriesJoinThePlaylistsFolder) {
    const struct {
        const char* playlist;
        const char* entry;
        const char* resolved;
    } cases[] = {
        {"/lists/Set/x.m3u", "../Music/a.wav", "/lists/Music/a.wav"},
        {"/lists/Set/x.m3u", "..\\Music\\a.wav", "/lists/Music/a.wav"},
        {"/lists/x.m3u", "song.wav", "/lists/song.wav"},
        {"/lists/x.m3u", "Music/b.wav", "/lists/Music/b.wav"},
        {"/lists/x.m3u", "Music\\b.wav", "/lists/Music/b.wav"},
        // A one-letter name has "." as its second character and is still relative.
        {"/lists/x.m3u", "a.wav", "/lists/a.wav"},
        // Archives store entries relative to their folder, backslash first.
        {"/lists/x.m3u", "\\intro.wav", "/lists/intro.wav"},
        {"/lists/Set/x.m3u", "..\\..\\..\\a.wav", "/a.wav"},
        {"/lists/Set/x.m3u", "Music/../a.wav", "/lists/Set/Music/../a.wav"},
        {"/x.m3u", "a.wav", "/a.wav"},
        {"x.m3u", "a.wav", "a.wav"},
        {"lists/x.m3u", "../../a.wav", "../a.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Resolved(c.playlist, c.entry), c.resolved) << c.playlist << " " << c.entry;
    }
}

TEST(ResolvePlaylistPathsTest, AbsoluteEntriesStayAsTheyAre) {
    for (const char* entry : {"D:\\Music\\a.wav", "d:/Music/a.wav", "D:\\x\\..\\y.wav",
                              "/home/op/a.wav", "/home/op/../a.wav", ""}) {
        EXPECT_EQ(Resolved("/lists/Set/x.m3u", entry), entry);
    }
}

TEST(ResolvePlaylistPathsTest, PlaylistOnANetworkPathIsLeftAlone) {
    EXPECT_EQ(Resolved("\\\\pc\\lists\\x.m3u", "a.wav"), "a.wav");
    EXPECT_EQ(Resolved("//pc/lists/x.m3u", "\\\\other\\s\\a.wav"), "\\\\other\\s\\a.wav");
}

class OwnShareTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.configPath = dir_.Write("smb.conf",
                                          "# this computer's shares\n"
                                          "[global]\n"
                                          "   NetBIOS Name = STAGEPC\n"
                                          "   workgroup = THEATRE\n"
                                          "[Music]\n"
                                          "   path = /srv/music/\n"
                                          "; [Old]\n"
                                          "[effects]\n"
                                          "   comment = long \\\n"
                                          "      text\n"
                                          "   Path=/srv/fx\n"
                                          "[root]\n"
                                          "   path = /\n"
                                          "[nopath]\n"
                                          "   comment = none\n");
        settings_.hostName = "stage-left.example.org";
    }

    std::string Local(const std::string& network) const {
        std::string path = network;
        LocalPathOfOwnShare(path, settings_);
        return path;
    }

    testing::TempDir dir_;
    ShareSettings settings_;
};

TEST_F(OwnShareTest, OwnSharesBecomeLocalFolders) {
    const struct {
        const char* network;
        const char* local;
    } cases[] = {
        {"\\\\stage-left\\Music\\a.wav", "/srv/music/a.wav"},
        {"\\\\STAGE-LEFT\\music\\Sub\\b.wav", "/srv/music/Sub/b.wav"},
        {"//stage-left/Music/a.wav", "/srv/music/a.wav"},
        {"\\\\stage-left.example.org\\Music\\a.wav", "/srv/music/a.wav"},
        {"\\\\stagepc\\effects\\bang.wav", "/srv/fx/bang.wav"},
        {"\\\\stage-left\\Music", "/srv/music"},
        {"\\\\stage-left\\root\\a.wav", "/a.wav"},
        {"\\\\stage-left\\root", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Local(c.network), c.local) << c.network;
    }
}

TEST_F(OwnShareTest, AnythingElseBecomesEmpty) {
    for (const char* network : {"\\\\other-pc\\Music\\a.wav", "\\\\stage-left\\Unknown\\a.wav",
                                "\\\\stage-left\\nopath\\a.wav", "\\\\stage-left\\global\\a.wav",
                                "\\\\stage-left", "\\\\\\Music\\a.wav", "/srv/music/a.wav"}) {
        EXPECT_EQ(Local(network), "") << network;
    }
    settings_.configPath = dir_.File("missing.conf");
    EXPECT_EQ(Local("\\\\stage-left\\Music\\a.wav"), "");
}

TEST_F(OwnShareTest, EntryOnAnotherComputerIsDroppedFromTheLength) {
    const std::string list = dir_.Write("set.m3u",
                                        "\\\\other-pc\\Music\\a.wav\n"
                                        "\\\\stage-left\\Music\\b.wav\n");
    Paths entries;
    ReadPlaylist(list, entries, true, settings_);
    EXPECT_EQ(entries, (Paths{"", "/srv/music/b.wav"}));
    const int32_t total =
        PlaylistLength(entries, [](const std::string& path) { return path.empty() ? 0 : 3000; });
    EXPECT_EQ(total, 3000);
    EXPECT_EQ(entries, (Paths{"/srv/music/b.wav"}));
}

}  // namespace
}  // namespace tamberline
