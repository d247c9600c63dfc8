#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamberline {

// One link of the contents or the index: its text, its target ("Setup.htm"
// or "Setup.htm#groups") and its list depth (1 for the outer list).
struct HelpLink {
    std::string title;
    std::string target;
    int depth = 0;
    bool operator==(const HelpLink&) const = default;
};

// The links of a page of nested lists, in order. Other markup is skipped;
// broken markup ends the scan without harm.
std::vector<HelpLink> ReadLinkList(std::string_view html);

// The text a reader sees: tags, the head and scripts dropped, the common
// entities decoded, white space collapsed to single blanks.
std::string PlainText(std::string_view html);

// The text of <title>, empty when there is none.
std::string PageTitle(std::string_view html);

// Every href of the page, in order.
std::vector<std::string> PageLinks(std::string_view html);
// Every id="..." and name="..." the page defines, the targets of "#anchor".
std::vector<std::string> PageAnchors(std::string_view html);

}  // namespace tamberline
