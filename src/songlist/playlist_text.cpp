#include "songlist/playlist_text.h"

#include <algorithm>
#include <cstdint>

namespace tamberline {
namespace {

constexpr auto npos = std::string_view::npos;

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) {
        return false;
    }
    return std::equal(ending.begin(), ending.end(), text.end() - ending.size(),
                      [](char e, char t) { return e == (t >= 'a' && t <= 'z' ? t - 32 : t); });
}

// Upper case for ASCII letters only, so that every offset in the copy is
// the same offset in the original text.
std::string UpperCopy(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
    }
    return upper;
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.' ||
           c == ':';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void AppendUtf8(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A numeric character reference's value ("#38", "#x26"), or 0 when the
// text is not one or names no character a path can hold.
uint32_t NumericReference(std::string_view ref) {
    if (ref.size() < 2 || ref[0] != '#') {
        return 0;
    }
    const bool hex = ref[1] == 'x' || ref[1] == 'X';
    std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) {
        return 0;
    }
    uint32_t value = 0;
    for (char c : digits) {
        uint32_t d = 0;
        if (c >= '0' && c <= '9') {
            d = static_cast<uint32_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            d = static_cast<uint32_t>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            d = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            return 0;
        }
        value = value * (hex ? 16 : 10) + d;
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value > 0x10FFFF || surrogate ? 0 : value;
}

// XML writers store "&" in a file name as "&amp;"; the file on disk has "&".
// Anything that is not a known reference stays as written.
std::string DecodeXmlText(std::string_view raw) {
    static constexpr struct {
        std::string_view name;
        char value;
    } kNamed[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    out.reserve(raw.size());
    size_t i = 0;
    while (i < raw.size()) {
        // References are short; looking further would make a long run of
        // "&" quadratic.
        const size_t semi = raw[i] == '&' ? raw.substr(i, 12).find(';') : npos;
        if (semi == npos) {
            out += raw[i++];
            continue;
        }
        const std::string_view ref = raw.substr(i + 1, semi - 1);
        const auto named = std::find_if(std::begin(kNamed), std::end(kNamed),
                                        [&](const auto& n) { return n.name == ref; });
        if (named != std::end(kNamed)) {
            out += named->value;
        } else if (const uint32_t cp = NumericReference(ref); cp != 0) {
            AppendUtf8(cp, out);
        } else {
            out += raw[i++];
            continue;
        }
        i += semi + 1;
    }
    return out;
}

std::string EncodeXmlText(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c; break;
        }
    }
    return out;
}

// Searches `upper` for `what` from `from`, finding nothing at or past `end`.
size_t FindBefore(std::string_view upper, std::string_view what, size_t from, size_t end) {
    return from >= end ? npos : upper.substr(0, end).find(what, from);
}

// A quoted value between the quotes at `open` and `close` of the text.
void AddQuoted(std::string_view text, size_t open, size_t close,
               std::vector<PlaylistEntry>& entries) {
    if (close <= open + 1) {
        return;  // "" names no file
    }
    const size_t offset = open + 1;
    const size_t length = close - offset;
    entries.push_back({DecodeXmlText(text.substr(offset, length)), offset, length});
}

// "<ENTRY" as a tag of its own; "<ENTRYREF" points to another playlist and
// is not an entry of this one.
size_t FindEntryTag(std::string_view upper, size_t from) {
    static constexpr std::string_view kTag = "<ENTRY";
    size_t at = upper.find(kTag, from);
    while (at != npos && at + kTag.size() < upper.size() && IsNameChar(upper[at + kTag.size()])) {
        at = upper.find(kTag, at + 1);
    }
    return at;
}

// The first "<REF" of an entry body [begin, end): its first quoted value.
void AddReference(std::string_view text, std::string_view upper, size_t begin, size_t end,
                  std::vector<PlaylistEntry>& entries) {
    const size_t ref = FindBefore(upper, "<REF", begin, end);
    if (ref == npos) {
        return;
    }
    size_t refEnd = FindBefore(upper, "</REF", ref, end);
    if (refEnd == npos) {
        refEnd = FindBefore(upper, "/>", ref, end);
    }
    if (refEnd == npos) {
        return;
    }
    const size_t open = FindBefore(upper, "\"", ref, refEnd);
    const size_t close = open == npos ? npos : FindBefore(upper, "\"", open + 1, refEnd);
    if (close != npos) {
        AddQuoted(text, open, close, entries);
    }
}

// Entry bodies lie between the ">" of each "<ENTRY" tag and the next
// "</ENTRY>". The next tag is looked for after that end, so bodies never
// overlap and a broken file of nested entries is read in one pass.
void ParseAsx(std::string_view text, std::string_view upper, std::vector<PlaylistEntry>& entries) {
    if (upper.find("<ASX") == npos) {
        return;
    }
    size_t cursor = 1;
    for (;;) {
        const size_t tag = FindEntryTag(upper, cursor);
        const size_t open = tag == npos ? npos : upper.find('>', tag);
        const size_t close = open == npos ? npos : upper.find("</ENTRY>", open + 1);
        if (close == npos) {
            return;
        }
        AddReference(text, upper, open + 1, close, entries);
        cursor = close + 1;
    }
}

// The next "SRC" attribute inside [from, end): the name, then "=" after
// optional blanks. "src" as part of a path or another value is skipped.
size_t FindSrcAttribute(std::string_view upper, size_t from, size_t end) {
    for (size_t at = FindBefore(upper, "SRC", from, end); at != npos;
         at = FindBefore(upper, "SRC", at + 1, end)) {
        size_t next = at + 3;
        while (next < end && IsBlank(upper[next])) {
            ++next;
        }
        if (next < end && upper[next] == '=') {
            return at;
        }
    }
    return npos;
}

// Every "SRC" attribute's quoted value between "<SEQ>" and "</SEQ>".
void ParseSequence(std::string_view text, std::string_view upper,
                   std::vector<PlaylistEntry>& entries) {
    const size_t begin = upper.find("<SEQ>");
    const size_t end = begin == npos ? npos : upper.find("</SEQ>", begin);
    if (end == npos) {
        return;
    }
    size_t cursor = begin;
    for (;;) {
        const size_t src = FindSrcAttribute(upper, cursor, end);
        const size_t open = src == npos ? npos : FindBefore(upper, "\"", src, end);
        const size_t close = open == npos ? npos : FindBefore(upper, "\"", open + 1, end);
        if (close == npos) {
            return;
        }
        AddQuoted(text, open, close, entries);
        // Go on after the value, so a "src" inside a path is not read as
        // the next attribute.
        cursor = close + 1;
    }
}

// One path a line; a line holding "#" anywhere is not an entry.
void ParseM3u(std::string_view bytes, std::vector<PlaylistEntry>& entries) {
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    size_t lineStart = bytes.substr(0, 3) == kByteOrderMark ? kByteOrderMark.size() : 0;
    while (lineStart < bytes.size()) {
        size_t lineEnd = bytes.find('\n', lineStart);
        const size_t next = lineEnd == npos ? bytes.size() : lineEnd + 1;
        if (lineEnd == npos) {
            lineEnd = bytes.size();
        }
        std::string_view line = bytes.substr(lineStart, lineEnd - lineStart);
        // A line is read as a C string: it ends at a zero byte.
        line = line.substr(0, line.find('\0'));
        size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) {
            ++first;
        }
        size_t last = line.size();
        while (last > first && IsBlank(line[last - 1])) {
            --last;
        }
        // A blank line names no file; reading it as "" would only make the
        // songlist report a missing file.
        if (last > first && line.find('#') == npos) {
            entries.push_back(
                {std::string(line.substr(first, last - first)), lineStart + first, last - first});
        }
        lineStart = next;
    }
}

}  // namespace

PlaylistKind PlaylistKindOf(std::string_view path) {
    for (std::string_view ending : {"ASX", "WAX", "WVX"}) {
        if (EndsWithNoCase(path, ending)) {
            return PlaylistKind::kAsx;
        }
    }
    if (EndsWithNoCase(path, "WPL") || EndsWithNoCase(path, "SMIL")) {
        return PlaylistKind::kSequence;
    }
    if (EndsWithNoCase(path, "M3U")) {
        return PlaylistKind::kM3u;
    }
    return PlaylistKind::kNone;
}

std::vector<PlaylistEntry> ParsePlaylistText(PlaylistKind kind, std::string_view bytes) {
    std::vector<PlaylistEntry> entries;
    if (kind == PlaylistKind::kM3u) {
        ParseM3u(bytes, entries);
        return entries;
    }
    // The markup families are read as one C string.
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    const std::string upper = UpperCopy(text);
    if (kind == PlaylistKind::kAsx) {
        ParseAsx(text, upper, entries);
    } else if (kind == PlaylistKind::kSequence) {
        ParseSequence(text, upper, entries);
    }
    return entries;
}

bool RewritePlaylistText(PlaylistKind kind, std::string_view bytes,
                         const std::vector<PlaylistEntry>& entries,
                         const std::vector<std::string>& newPaths, std::string& out) {
    out.clear();
    if (entries.size() != newPaths.size()) {
        return false;
    }
    size_t copied = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const PlaylistEntry& entry = entries[i];
        if (entry.offset < copied || entry.offset > bytes.size() ||
            entry.length > bytes.size() - entry.offset) {
            out.clear();
            return false;
        }
        out.append(bytes.substr(copied, entry.offset - copied));
        out += kind == PlaylistKind::kM3u ? newPaths[i] : EncodeXmlText(newPaths[i]);
        copied = entry.offset + entry.length;
    }
    out.append(bytes.substr(copied));
    return true;
}

}  // namespace tamberline
