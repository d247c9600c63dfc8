#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "help/help_text.h"

namespace tamberline {

// One page as the search sees it.
struct HelpPageText {
    std::string topic;  // "Setup.htm"
    std::string title;
    std::string lowered;  // its plain text in lower case
};

struct SearchHit {
    std::string topic;
    std::string title;
    int count = 0;  // occurrences of the query's words
};

// The help pages of one folder: the contents, the index and the text of
// every page for the search.
struct HelpBook {
    std::vector<HelpLink> contents;
    std::vector<HelpLink> index;
    std::vector<HelpPageText> pages;
};

// Reads the folder's contents, index and pages (*.htm). Files too large
// for a help page are read only in part; missing files give empty parts.
HelpBook LoadHelpBook(const std::string& folder);

// The pages holding every word of `query` (case ignored), most occurrences
// first, pages of equal count in the book's order. No words, no hits.
std::vector<SearchHit> SearchPages(const std::vector<HelpPageText>& pages, std::string_view query);

}  // namespace tamberline
