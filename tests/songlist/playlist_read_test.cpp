#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "songlist/playlist_reader.h"
#include "songlist/playlist_text.h"
#include "support/temp_dir.h"

namespace tamberline {
namespace {

using namespace std::string_literals;
using Paths = std::vector<std::string>;

Paths PathsOf(PlaylistKind kind, std::string_view bytes) {
    Paths paths;
    for (const PlaylistEntry& entry : ParsePlaylistText(kind, bytes)) {
        paths.push_back(entry.path);
    }
    return paths;
}

struct ParseCase {
    const char* what;
    std::string text;
    Paths paths;
};

void ExpectParses(PlaylistKind kind, const std::vector<ParseCase>& cases) {
    for (const ParseCase& c : cases) {
        EXPECT_EQ(PathsOf(kind, c.text), c.paths) << c.what;
    }
}

TEST(PlaylistKindTest, ChosenByTheEndingAlone) {
    const struct {
        const char* path;
        PlaylistKind kind;
    } cases[] = {
        {"/l/set.m3u", PlaylistKind::kM3u},     {"/l/SET.M3U", PlaylistKind::kM3u},
        {"/l/a.asx", PlaylistKind::kAsx},       {"/l/a.Wax", PlaylistKind::kAsx},
        {"/l/a.WVX", PlaylistKind::kAsx},       {"/l/a.wpl", PlaylistKind::kSequence},
        {"/l/a.smil", PlaylistKind::kSequence}, {"/l/a.SMIL", PlaylistKind::kSequence},
        {"/l/a.wav", PlaylistKind::kNone},      {"/l/a.m3u8", PlaylistKind::kNone},
        {"/l/a.m3u ", PlaylistKind::kNone},     {"", PlaylistKind::kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaylistKindOf(c.path), c.kind) << c.path;
        EXPECT_EQ(IsPlaylistFile(c.path), c.kind != PlaylistKind::kNone) << c.path;
    }
}

TEST(PlaylistParseTest, AsxTagsMatchInAnyCaseAndPathsKeepTheirs) {
    const std::string upper =
        "<ASX VERSION=\"3.0\">\n<ENTRY><TITLE>One</TITLE><REF HREF=\"C:\\Show\\Intro.WAV\"/>"
        "</ENTRY>\n<ENTRY>\n<REF HREF=\"Music/Walk In.mp3\" />\n</ENTRY>\n</ASX>\n";
    std::string lower = upper;
    for (const char* tag : {"ASX", "ENTRY", "TITLE", "REF", "HREF", "VERSION"}) {
        std::string from = tag;
        std::string to;
        for (char c : from) {
            to += static_cast<char>(c + 32);
        }
        for (size_t at = lower.find(from); at != std::string::npos; at = lower.find(from, at)) {
            lower.replace(at, from.size(), to);
        }
    }
    const Paths expected = {"C:\\Show\\Intro.WAV", "Music/Walk In.mp3"};
    EXPECT_EQ(PathsOf(PlaylistKind::kAsx, upper), expected);
    EXPECT_EQ(PathsOf(PlaylistKind::kAsx, lower), expected);
}

TEST(PlaylistParseTest, AsxEntries) {
    ExpectParses(
        PlaylistKind::kAsx,
        {
            {"closing ref tag", "<asx><entry><ref href=\"a.wav\"></ref></entry></asx>", {"a.wav"}},
            {"only the first ref of an entry counts",
             "<asx><entry><ref href=\"a.wav\"/><ref href=\"b.wav\"/></entry></asx>",
             {"a.wav"}},
            {"an entry without ref adds nothing",
             "<asx><entry><title>x</title></entry><entry><ref href=\"b\"/></entry></asx>",
             {"b"}},
            {"a ref without a quoted value adds nothing",
             "<asx><entry><ref href=a.wav /></entry><entry><ref href=\"b\"/></entry></asx>",
             {"b"}},
            {"a ref that never ends is skipped",
             "<asx><entry><ref href=\"a.wav\"></entry><entry><ref href=\"b\"/></entry></asx>",
             {"b"}},
            {"an empty value names no file",
             "<asx><entry><ref href=\"\"/></entry><entry><ref href=\"b\"/></entry></asx>",
             {"b"}},
            {"no <asx, no entries", "<entry><ref href=\"a.wav\"/></entry>", {}},
            {"an entryref is not an entry",
             "<asx><entryref href=\"more.asx\"/><entry><ref href=\"a.wav\"/></entry></asx>",
             {"a.wav"}},
            {"xml references are decoded",
             "<asx><entry><ref href=\"Rock &amp; Roll &#38; &#x42;lues &bogus; &.wav\"/></entry>"
             "</asx>",
             {"Rock & Roll & Blues &bogus; &.wav"}},
            {"an entry that never ends ends the list",
             "<asx><entry><ref href=\"a\"/></entry><entry><ref href=\"b\"/></asx>",
             {"a"}},
            {"text after a zero byte is not read",
             "<asx><entry><ref href=\"a\"/></entry>\0<entry><ref href=\"b\"/></entry>"s,
             {"a"}},
        });
}

TEST(PlaylistParseTest, SequenceEntries) {
    const std::string wpl =
        "<?wpl version=\"1.0\"?>\r\n<smil>\r\n<head><meta name=\"Generator\" "
        "content=\"Microsoft Windows Media Player -- 12.0\"/><title>Set</title></head>\r\n"
        "<body>\r\n<seq>\r\n"
        "<media src=\"..\\Music\\One.wma\" tid=\"{D2B4C1F0-0A1B-4C2D-9E8F-001122334455}\"/>\r\n"
        "<media src=\"D:\\Music\\Two.mp3\"/>\r\n</seq>\r\n</body>\r\n</smil>\r\n";
    ExpectParses(
        PlaylistKind::kSequence,
        {
            {"wpl", wpl, {"..\\Music\\One.wma", "D:\\Music\\Two.mp3"}},
            {"smil",
             "<smil><body><seq><audio src=\"a.wav\"/><audio SRC = \"b.wav\"/></seq></body>",
             {"a.wav", "b.wav"}},
            {"src inside a path is not the next attribute",
             "<seq><media src=\"C:\\src\\a.wav\" tid=\"1\"/><media src=\"b.wav\"/></seq>",
             {"C:\\src\\a.wav", "b.wav"}},
            {"src inside another value is not an attribute",
             "<seq><audio src=\"a.wav\" title=\"my src\"/><audio src=\"b.wav\"/></seq>",
             {"a.wav", "b.wav"}},
            {"sources outside the sequence do not count",
             "<smil><head><img src=\"logo.png\"/></head><seq><audio src=\"a\"/></seq>"
             "<audio src=\"z\"/></smil>",
             {"a"}},
            {"no end of sequence, no entries", "<seq><audio src=\"a.wav\"/>", {}},
            {"end before start", "</seq><seq><audio src=\"a.wav\"/>", {}},
            {"a value running past the sequence is not read",
             "<seq><audio src=\"a.wav/></seq>\"",
             {}},
        });
}

TEST(PlaylistParseTest, M3uLines) {
    ExpectParses(
        PlaylistKind::kM3u,
        {
            {"comments and a # anywhere",
             "#EXTM3U\n#EXTINF:12,Intro\n/show/intro.wav\n/show/Track #2.wav\n/show/end.wav#\n",
             {"/show/intro.wav"}},
            {"blank lines and blanks around a path",
             "\n   \n\t/show/a.wav  \r\n\r\n /show/b c.wav\n",
             {"/show/a.wav", "/show/b c.wav"}},
            {"windows line ends and no final line end",
             "C:\\a.wav\r\nC:\\b.wav",
             {"C:\\a.wav", "C:\\b.wav"}},
            {"byte order mark", "\xEF\xBB\xBF/show/a.wav\n", {"/show/a.wav"}},
            {"a line ends at a zero byte",
             "/show/a.wav\0junk\n/show/b.wav\n"s,
             {"/show/a.wav", "/show/b.wav"}},
            {"bytes that are not UTF-8 are kept", "/show/caf\xE9.wav\n", {"/show/caf\xE9.wav"}},
        });
}

// Garbage built from the tokens the parsers look for, so that tags, quotes
// and ends meet in every order.
std::string TokenSoup(std::mt19937& random, size_t tokens) {
    static const std::string kTokens[] = {
        "<ASX", "<ENTRY", "<ENTRYREF", ">",     "</ENTRY>", "<REF",   "</REF", "/>",
        "\"",   "&amp;",  "&#x",       ";",     "<SEQ>",    "</SEQ>", "src",   "=",
        " ",    "\n",     "#",         "a.wav", "\r",       "\0"s,    "\xFF"};
    std::string soup;
    for (size_t i = 0; i < tokens; ++i) {
        soup += kTokens[random() % std::size(kTokens)];
    }
    return soup;
}

TEST(PlaylistParseTest, GarbageGivesEntriesInsideTheText) {
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        const std::string soup = TokenSoup(random, random() % 60);
        for (PlaylistKind kind :
             {PlaylistKind::kAsx, PlaylistKind::kSequence, PlaylistKind::kM3u}) {
            const std::vector<PlaylistEntry> entries = ParsePlaylistText(kind, soup);
            size_t end = 0;
            for (const PlaylistEntry& entry : entries) {
                ASSERT_GE(entry.offset, end) << soup;
                ASSERT_LE(entry.offset + entry.length, soup.size()) << soup;
                ASSERT_FALSE(entry.path.empty()) << soup;
                end = entry.offset + entry.length;
            }
            std::string copy;
            ASSERT_TRUE(
                RewritePlaylistText(kind, soup, entries, Paths(entries.size(), "new.wav"), copy));
        }
    }
}

class ReadPlaylistTest : public ::testing::Test {
protected:
    testing::TempDir dir_;
    Paths entries_ = {"left over"};
};

TEST_F(ReadPlaylistTest, ReadsAFileAndEmptiesTheListFirst) {
    const std::string path = dir_.Write("set.m3u", "/a.wav\n/b.wav\n");
    ReadPlaylist(path, entries_, false);
    EXPECT_EQ(entries_, (Paths{"/a.wav", "/b.wav"}));
}

TEST_F(ReadPlaylistTest, ResolvesRelativeEntriesWhenAsked) {
    const std::string path =
        dir_.Write("set.asx", "<asx><entry><ref href=\"a.wav\"/></entry></asx>");
    ReadPlaylist(path, entries_, false);
    EXPECT_EQ(entries_, (Paths{"a.wav"}));
    ReadPlaylist(path, entries_, true);
    EXPECT_EQ(entries_, (Paths{dir_.File("a.wav")}));
}

TEST_F(ReadPlaylistTest, AnythingUnreadableGivesAnEmptyList) {
    const std::string missing = dir_.File("missing.m3u");
    const std::string notAPlaylist = dir_.Write("a.wav", "/a.wav\n");
    const std::string folder = dir_.File("folder.m3u");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    // Opening a FIFO for reading would wait for a writer forever.
    const std::string fifo = dir_.File("fifo.m3u");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir_.Write("huge.m3u", "/a.wav\n");
    ASSERT_EQ(::truncate(huge.c_str(), kMaxPlaylistBytes + 1), 0);
    for (const std::string& path : {missing, notAPlaylist, folder, fifo, huge}) {
        entries_ = {"left over"};
        ReadPlaylist(path, entries_, true);
        EXPECT_TRUE(entries_.empty()) << path;
    }
}

}  // namespace
}  // namespace tamberline
