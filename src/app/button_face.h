#pragma once

#include <cstdint>
#include <string>

#include "app/run_control.h"
#include "session/button_record.h"

namespace tamberline {

// Colours as the session stores them: 0x00BBGGRR.
using ColorRef = uint32_t;

inline constexpr ColorRef kGapColour = 0xC0C0C0;
inline constexpr ColorRef kBlack = 0x000000;
inline constexpr ColorRef kWhite = 0xFFFFFF;
inline constexpr ColorRef kRed = 0x0000FF;
inline constexpr ColorRef kDarkGrey = 0x808080;
inline constexpr ColorRef kShadow = 0x404040;

inline int RedOf(ColorRef c) {
    return static_cast<int>(c & 0xFF);
}
inline int GreenOf(ColorRef c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int BlueOf(ColorRef c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Black on light faces, white on dark: by the luminance of the colour.
ColorRef TextColour(ColorRef face);

// A clock: rounded up to a multiple of 500 ms, then whole seconds, as
// "m:ss" or "h:mm:ss"; a negative time shows 0:00.
std::string ClockText(int64_t ms);

// How a button's time field looks.
struct TimeFieldLook {
    ColorRef background = kGapColour;
    ColorRef text = kBlack;
    std::string caption;  // the time, or "Locked"
    int inset = 0;        // 1: drawn one pixel smaller so the cue frame stays visible
    bool cueFrame = false;
    ColorRef cueFrameColour = kBlack;
};

// The time field of an assigned button: the time left while running or
// paused, else the sample's length.
TimeFieldLook TimeLook(const ButtonRecord& record, const ButtonRunView& run, bool holdsCue);

}  // namespace tamberline
