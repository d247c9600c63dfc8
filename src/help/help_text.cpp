#include "help/help_text.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace tamberline {

namespace {

// A page holds a few hundred links at most; a hostile page stops here.
constexpr size_t kMaxLinks = 10000;

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// One tag: its lower-case name ("a", "/ul") and its attribute text.
struct Tag {
    std::string name;
    std::string_view attributes;
    size_t end = 0;  // just past '>'
};

std::optional<Tag> TagAt(std::string_view html, size_t open) {
    const size_t close = html.find('>', open);
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    Tag tag;
    size_t i = open + 1;
    if (i < close && html[i] == '/') {
        tag.name += '/';
        ++i;
    }
    while (i < close && !IsSpace(html[i]) && html[i] != '/') {
        tag.name += Lower(html[i]);
        ++i;
    }
    tag.attributes = html.substr(i, close - i);
    tag.end = close + 1;
    return tag;
}

// The value of attribute `name` (quoted or bare); nullopt when absent.
std::optional<std::string> Attribute(std::string_view attributes, std::string_view name) {
    size_t at = 0;
    while (at < attributes.size()) {
        while (at < attributes.size() && (IsSpace(attributes[at]) || attributes[at] == '/')) {
            ++at;
        }
        const size_t nameStart = at;
        while (at < attributes.size() && attributes[at] != '=' && !IsSpace(attributes[at])) {
            ++at;
        }
        std::string key(attributes.substr(nameStart, at - nameStart));
        std::transform(key.begin(), key.end(), key.begin(), Lower);
        size_t equals = at;
        while (equals < attributes.size() && IsSpace(attributes[equals])) {
            ++equals;
        }
        if (equals >= attributes.size() || attributes[equals] != '=') {
            if (at == nameStart) {
                ++at;
            }
            continue;
        }
        at = equals + 1;
        while (at < attributes.size() && IsSpace(attributes[at])) {
            ++at;
        }
        std::string value;
        if (at < attributes.size() && (attributes[at] == '"' || attributes[at] == '\'')) {
            const char quote = attributes[at++];
            const size_t end = attributes.find(quote, at);
            const size_t stop = end == std::string_view::npos ? attributes.size() : end;
            value = attributes.substr(at, stop - at);
            at = stop + 1;
        } else {
            const size_t start = at;
            while (at < attributes.size() && !IsSpace(attributes[at])) {
                ++at;
            }
            value = attributes.substr(start, at - start);
        }
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

void AppendDecoded(std::string& out, std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'},  {"&lt;", '<'},   {"&gt;", '>'},   {"&quot;", '"'},
        {"&#39;", '\''}, {"&nbsp;", ' '}, {"&apos;", '\''}};
    for (size_t i = 0; i < text.size();) {
        bool decoded = false;
        if (text[i] == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (text.substr(i, entity.size()) == entity) {
                    out += c;
                    i += entity.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded) {
            out += text[i++];
        }
    }
}

std::string Collapsed(std::string_view text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (IsSpace(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) {
            out += ' ';
            blank = false;
        }
        out += c;
    }
    return out;
}

// Calls `visit(tag)` for every tag and `text(chunk)` for the text between.
template <typename TagFn, typename TextFn>
void Scan(std::string_view html, TagFn visit, TextFn text) {
    size_t at = 0;
    while (at < html.size()) {
        const size_t open = html.find('<', at);
        text(html.substr(at, (open == std::string_view::npos ? html.size() : open) - at));
        if (open == std::string_view::npos) {
            return;
        }
        if (html.substr(open, 4) == "<!--") {
            const size_t end = html.find("-->", open);
            if (end == std::string_view::npos) {
                return;
            }
            at = end + 3;
            continue;
        }
        const std::optional<Tag> tag = TagAt(html, open);
        if (!tag) {
            return;
        }
        at = visit(*tag);
    }
}

}  // namespace

std::vector<HelpLink> ReadLinkList(std::string_view html) {
    std::vector<HelpLink> links;
    int depth = 0;
    std::optional<HelpLink> open;
    std::string text;
    Scan(
        html,
        [&](const Tag& tag) {
            if (tag.name == "ul" || tag.name == "ol") {
                ++depth;
            } else if ((tag.name == "/ul" || tag.name == "/ol") && depth > 0) {
                --depth;
            } else if (tag.name == "a" && links.size() < kMaxLinks) {
                if (const auto href = Attribute(tag.attributes, "href")) {
                    open = HelpLink{{}, *href, depth};
                    text.clear();
                }
            } else if (tag.name == "/a" && open) {
                open->title = Collapsed(text);
                links.push_back(std::move(*open));
                open.reset();
            }
            return tag.end;
        },
        [&](std::string_view chunk) {
            if (open) {
                AppendDecoded(text, chunk);
            }
        });
    return links;
}

std::string PlainText(std::string_view html) {
    std::string text;
    bool hidden = false;
    Scan(
        html,
        [&](const Tag& tag) {
            if (tag.name == "head" || tag.name == "script" || tag.name == "style") {
                hidden = true;
            } else if (tag.name == "/head" || tag.name == "/script" || tag.name == "/style") {
                hidden = false;
            }
            text += ' ';
            return tag.end;
        },
        [&](std::string_view chunk) {
            if (!hidden) {
                AppendDecoded(text, chunk);
            }
        });
    return Collapsed(text);
}

std::string PageTitle(std::string_view html) {
    std::string title;
    bool inside = false;
    bool done = false;
    Scan(
        html,
        [&](const Tag& tag) {
            if (tag.name == "title" && !done) {
                inside = true;
            } else if (tag.name == "/title" && inside) {
                inside = false;
                done = true;
            }
            return tag.end;
        },
        [&](std::string_view chunk) {
            if (inside) {
                AppendDecoded(title, chunk);
            }
        });
    return Collapsed(title);
}

std::vector<std::string> PageLinks(std::string_view html) {
    std::vector<std::string> links;
    Scan(
        html,
        [&](const Tag& tag) {
            if (tag.name == "a" || tag.name == "img" || tag.name == "link") {
                const char* attribute = tag.name == "img" ? "src" : "href";
                if (const auto target = Attribute(tag.attributes, attribute);
                    target && links.size() < kMaxLinks) {
                    links.push_back(*target);
                }
            }
            return tag.end;
        },
        [](std::string_view) {});
    return links;
}

std::vector<std::string> PageAnchors(std::string_view html) {
    std::vector<std::string> anchors;
    Scan(
        html,
        [&](const Tag& tag) {
            for (const char* attribute : {"id", "name"}) {
                if (const auto anchor = Attribute(tag.attributes, attribute);
                    anchor && anchors.size() < kMaxLinks) {
                    anchors.push_back(*anchor);
                }
            }
            return tag.end;
        },
        [](std::string_view) {});
    return anchors;
}

}  // namespace tamberline
