#include "base/one_line_text.h"

namespace tamberline {

std::string OneLineText(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c == '\n' || c == '\t') {
            line += ' ';
        } else if (c != '\r') {
            line += c;
        }
    }
    return line;
}

}  // namespace tamberline
