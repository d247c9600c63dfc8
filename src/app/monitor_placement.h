#pragma once

#include <string>

namespace tamberline {

// The work area the main window covered when the program last ended, kept
// as the setting "Monitor".
struct MonitorRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const MonitorRect&) const = default;
};

// A value that is not four signed five-character fields reads as all zero,
// which places the window on the primary monitor.
MonitorRect ParseMonitorValue(const std::string& value);
std::string FormatMonitorValue(const MonitorRect& rect);

}  // namespace tamberline
