#include "app/monitor_placement.h"

#include <cctype>
#include <cstdio>

namespace tamberline {

namespace {

constexpr size_t kFieldWidth = 5;

bool ParseField(const std::string& field, int& out) {
    if (field.size() != kFieldWidth || (field[0] != '+' && field[0] != '-')) {
        return false;
    }
    int number = 0;
    for (size_t i = 1; i < field.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(field[i]))) {
            return false;
        }
        number = number * 10 + (field[i] - '0');
    }
    out = field[0] == '-' ? -number : number;
    return true;
}

}  // namespace

MonitorRect ParseMonitorValue(const std::string& value) {
    if (value.size() != 4 * kFieldWidth) {
        return {};
    }
    int fields[4];
    for (size_t i = 0; i < 4; ++i) {
        if (!ParseField(value.substr(i * kFieldWidth, kFieldWidth), fields[i])) {
            return {};
        }
    }
    return {fields[0], fields[1], fields[2], fields[3]};
}

std::string FormatMonitorValue(const MonitorRect& rect) {
    char text[64];
    std::snprintf(text, sizeof text, "%+05d%+05d%+05d%+05d", rect.left, rect.top, rect.right,
                  rect.bottom);
    return text;
}

}  // namespace tamberline
