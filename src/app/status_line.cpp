#include "app/status_line.h"

#include <cstdio>

#include "app/button_face.h"
#include "triggers/key_triggers.h"

namespace tamberline {

namespace {

constexpr uint32_t kFramesPerDay = 30 * 86400;

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char text[96];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// "%.1f" without the locale's decimal separator.
std::string Tenths(int tenths) {
    return Format("%d.%d", tenths / 10, tenths % 10);
}

std::string OutputPiece(int button, const ButtonRecord& r, bool outputValid) {
    std::string text = Format(" %d: Out %d, ", button + 1, outputValid ? r.output + 1 : 1);
    text += r.volume >= 100 ? std::string("0dB") : Format("-%ddB", 100 - r.volume);
    if (r.pan < 100) {
        text += Format(", L%d%%", 100 - r.pan);
    } else if (r.pan > 100) {
        text += Format(", R%d%%", r.pan - 100);
    }
    if (r.varispeed < 100) {
        text += Format(", -%d%%", 100 - r.varispeed);
    } else if (r.varispeed > 100) {
        text += Format(", +%d%%", r.varispeed - 100);
    }
    return text + " ";
}

std::string StopPiece(uint8_t flags) {
    if ((flags & 0x0F) == 0) {
        return {};
    }
    std::string text = " Stop";
    if (flags & kFlagStopAll) {
        text += " All";
    } else {
        for (int group = 1; group <= 3; ++group) {
            if (flags & (1 << group)) {
                text += Format(" %d", group);
            }
        }
    }
    return text + " ";
}

std::string ListPiece(const ButtonInfoInput& in) {
    if (in.run.songsLeft > 0) {
        return Format(" Song %d", in.run.songsLeft);
    }
    if (in.isSonglist) {
        return " Songlist ";
    }
    if (in.record->hasSegments || in.run.playsSegments) {
        return " Playlist ";
    }
    return {};
}

std::string MidiPiece(const ButtonRecord& r) {
    if (r.midiNote == 0) {
        return {};
    }
    return r.midiChannel == 0 ? Format(" Any: Note%d ", r.midiNote)
                              : Format(" Ch%d Note%d ", r.midiChannel, r.midiNote);
}

std::string GamePiece(const ButtonRecord& r) {
    if (r.gameTrigger == 0) {
        return {};
    }
    const int v = r.gameTrigger;
    return Format(" Stick %d, button %d ", (v - 1) / 16 + 1, (v - 1) % 16 + 1);
}

}  // namespace

std::string PlayedTimeText(uint32_t playedMs) {
    return " " + ClockText(playedMs) + " ";
}

std::string StartTimeText(uint32_t startTime) {
    const uint32_t v = startTime % kFramesPerDay;
    return Format(" %02u:%02u:%02u:%02u ", v / 108000, v % 108000 / 1800, v % 1800 / 30, v % 30);
}

std::string CueText(int button) {
    return Format(" Tab :  %d ", button + 1);
}

ButtonInfo ButtonInfoPieces(const ButtonInfoInput& in) {
    ButtonInfo info;
    const ButtonRecord& r = *in.record;
    if (!IsAssigned(r)) {
        info[0] = Format(" %d: [Shift] + [LeftClick] to load. ", in.button + 1);
        return info;
    }
    if (in.run.locked) {
        info[0] = " Spacebar to release ";
        return info;
    }
    info[0] = OutputPiece(in.button, r, in.outputValid);
    if (r.startGroup != 0) {
        info[1] = Format(" Start %d ", r.startGroup);
    }
    info[2] = StopPiece(r.flags);
    if (r.fadeIn != 0) {
        info[3] = " Fadein=" + Tenths(r.fadeIn) + " ";
    }
    if (r.fadeOut != 0) {
        info[4] = " Fadeout=" + Tenths(r.fadeOut) + " ";
    }
    if (r.loop) {
        info[5] = " Loop ";
    }
    if (r.flags & kFlagPlayWhileTriggered) {
        info[6] = " Play while trigger ";
    }
    if (r.flags & kFlagPause) {
        info[7] = " Pause ";
    }
    info[8] = ListPiece(in);
    if (r.flags & kFlagBuzzersAndBells) {
        info[9] = " Bell ";
    }
    info[10] = KeyName(r.triggerKey);
    info[11] = MidiPiece(r);
    info[12] = GamePiece(r);
    if (r.startTimeOn) {
        info[13] = StartTimeText(r.startTime);
    }
    if (in.run.playedMs > 0) {
        info[14] = PlayedTimeText(in.run.playedMs);
    }
    return info;
}

}  // namespace tamberline
