#include "help/help_text.h"

#include <gtest/gtest.h>

#include "help/help_book.h"

namespace tamberline {
namespace {

TEST(ReadLinkList, NestedListsGiveDepthsAndDecodedTitles) {
    const char* html = R"(<h1>Contents</h1>
<UL><li><A HREF="a.htm">First &amp; <b>best</b></a>
  <ul><li><a class=x href='a.htm#two'>Two</a></li>
      <li><a href = b.htm>  Three
      lines </a></li></ul></li>
<li><a name="top">not a link</a><a href="c.htm">Four</a></li></ul>
<a href="after.htm">Outside</a>)";
    EXPECT_EQ(ReadLinkList(html), (std::vector<HelpLink>{{"First & best", "a.htm", 1},
                                                         {"Two", "a.htm#two", 2},
                                                         {"Three lines", "b.htm", 2},
                                                         {"Four", "c.htm", 1},
                                                         {"Outside", "after.htm", 0}}));
}

TEST(ReadLinkList, BrokenMarkupEndsTheScanWithWhatWasComplete) {
    const char* cases[] = {
        R"(<ul><li><a href="a.htm">A</a><li><a href="b.htm)",
        R"(<ul><li><a href="a.htm">A</a><!-- never closed <a href="b.htm">B</a>)",
        R"(<ul><li><a href="a.htm">A</a></ul></ul></ul><a href="b.htm">B)",
        R"(<ul><li><a href="a.htm">A</a><a href="b.htm>B</a>)",
    };
    for (const char* html : cases) {
        const std::vector<HelpLink> links = ReadLinkList(html);
        ASSERT_FALSE(links.empty()) << html;
        EXPECT_EQ(links[0], (HelpLink{"A", "a.htm", 1})) << html;
    }
    EXPECT_TRUE(ReadLinkList("").empty());
    EXPECT_TRUE(ReadLinkList("<<<<>>>><a").empty());
}

TEST(PlainText, DropsTheHeadScriptsAndTagsAndCollapsesBlanks) {
    const char* html =
        "<html><head><title>T</title><style>p{}</style></head><body><h1>Set&nbsp;up</h1>"
        "<script>var x = 1;</script><p>Level&lt;0 dB&gt;\n\n  and  pan</p></body></html>";
    EXPECT_EQ(PlainText(html), "Set up Level<0 dB> and pan");
    EXPECT_EQ(PageTitle(html), "T");
    EXPECT_EQ(PageTitle("<p>no title</p>"), "");
}

TEST(PageAnchors, IdsAndNamesAreTargets) {
    EXPECT_EQ(PageAnchors(R"(<h2 id="keys">K</h2><a name='midi'></a><p class="x">)"),
              (std::vector<std::string>{"keys", "midi"}));
    EXPECT_EQ(PageLinks(R"(<a href="a.htm">a</a><img src="p.png"><link href="s.css">)"),
              (std::vector<std::string>{"a.htm", "p.png", "s.css"}));
}

TEST(SearchPages, EveryWordMustAppearCaseIgnoredMostOccurrencesFirst) {
    const std::vector<HelpPageText> pages = {
        {"a.htm", "A", "midi notes start buttons"},
        {"b.htm", "B", "midi midi midi and keys start buttons"},
        {"c.htm", "C", "keys only"},
    };
    auto topics = [&](std::string_view query) {
        std::vector<std::string> found;
        for (const SearchHit& hit : SearchPages(pages, query)) {
            found.push_back(hit.topic);
        }
        return found;
    };
    EXPECT_EQ(topics("MIDI start"), (std::vector<std::string>{"b.htm", "a.htm"}));
    EXPECT_EQ(topics("midi keys"), (std::vector<std::string>{"b.htm"}));
    EXPECT_EQ(topics("Keys"), (std::vector<std::string>{"b.htm", "c.htm"}));
    EXPECT_TRUE(topics("   ").empty());
    EXPECT_TRUE(topics("timecode").empty());
}

}  // namespace
}  // namespace tamberline
