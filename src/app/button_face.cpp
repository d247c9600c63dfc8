#include "app/button_face.h"

#include <cstdio>

namespace tamberline {

ColorRef TextColour(ColorRef face) {
    const int luminance = (299 * RedOf(face) + 587 * GreenOf(face) + 114 * BlueOf(face)) / 1000;
    return luminance > 127 ? kBlack : kWhite;
}

std::string ClockText(int64_t ms) {
    // Round towards +infinity in steps of 500, then truncate to seconds.
    int64_t rounded = ms >= 0 ? (ms + 499) / 500 * 500 : -((-ms) / 500 * 500);
    int64_t s = rounded / 1000;
    if (s < 0) {
        s = 0;
    }
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                      static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(s / 60),
                      static_cast<long long>(s % 60));
    }
    return text;
}

TimeFieldLook TimeLook(const ButtonRecord& record, const ButtonRunView& run, bool holdsCue) {
    TimeFieldLook look;
    const ColorRef ink = TextColour(record.colour);
    const bool active = run.running || run.paused;
    if (run.paused || run.fadingIn || run.fadingOut) {
        look.background = kGapColour;
        look.text = kBlack;
    } else if (run.running) {
        look.background = kRed;
        look.text = kWhite;
    } else {
        look.background = record.colour & 0xFFFFFF;
        look.text = ink;
    }
    look.caption = run.locked
                       ? std::string("Locked")
                       : ClockText(active ? int64_t{run.remainingMs} : int64_t{record.durationMs});
    look.cueFrame = holdsCue;
    look.cueFrameColour = ink;
    look.inset = holdsCue && active ? 1 : 0;
    return look;
}

}  // namespace tamberline
