// A help page: its links, text, title and anchors, read without harm from
// any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "help/help_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    for (const tamberline::HelpLink& link : tamberline::ReadLinkList(html)) {
        // Every link was found inside the page.
        if (link.target.size() > size || link.title.size() > size || link.depth < 0) {
            std::abort();
        }
    }
    if (tamberline::PlainText(html).size() > size || tamberline::PageTitle(html).size() > size) {
        std::abort();
    }
    tamberline::PageLinks(html);
    tamberline::PageAnchors(html);
    return 0;
}
