#include "setup/setup_texts.h"

#include <cstdio>

#include "songlist/media_length.h"

namespace tamberline {

namespace {

constexpr char kNoteLetters[] = "CCDDEFFGGAABC";
constexpr char kSharpMarks[] = " # #  # # # ";

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

}  // namespace

std::string NoteItemText(int note) {
    const int position = ((note % 12) + 12) % 12;
    return Format("%c%c note %d", kNoteLetters[position], kSharpMarks[position], note);
}

std::vector<std::string> MidiNoteItems() {
    std::vector<std::string> items{""};
    for (int note = 1; note <= 127; ++note) {
        items.push_back(NoteItemText(note));
    }
    return items;
}

std::vector<std::string> MidiChannelItems() {
    std::vector<std::string> items{"Any channel"};
    for (int channel = 1; channel <= 16; ++channel) {
        items.push_back(Format("Channel %d", channel));
    }
    return items;
}

std::vector<std::string> StartGroupItems() {
    std::vector<std::string> items{" "};
    for (int group = 1; group <= 16; ++group) {
        items.push_back(Format(" %d", group));
    }
    return items;
}

std::string GameTriggerStickText(int item) {
    if (item < 1 || item > kGameSticks * kGameButtonsPerStick) {
        return {};
    }
    const int stick = (item - 1) / kGameButtonsPerStick + 1;
    const int button = (item - 1) % kGameButtonsPerStick + 1;
    return Format("Stick %d : button %d", stick, button);
}

std::string GameTriggerListText(int item) {
    if (item < 1 || item > kGameSticks * kGameButtonsPerStick) {
        return {};
    }
    const int button = (item - 1) % kGameButtonsPerStick + 1;
    return button == 1 ? GameTriggerStickText(item) : Format("          button %d", button);
}

std::vector<std::string> GameTriggerItems() {
    std::vector<std::string> items{""};
    for (int item = 1; item <= kGameSticks * kGameButtonsPerStick; ++item) {
        items.push_back(GameTriggerListText(item));
    }
    return items;
}

std::string VolumeText(int volume) {
    return volume >= 100 ? std::string("0 dB") : Format("-%d dB", 100 - volume);
}

std::string PanText(int pan, bool percent) {
    if (pan == 100) {
        return "Centre";
    }
    if (pan < 100) {
        return Format(percent ? "Left %d%%" : "Left %d", 100 - pan);
    }
    return Format(percent ? "Right %d%%" : "Right %d", pan - 100);
}

std::string VarispeedText(int varispeed) {
    if (varispeed == 100) {
        return "0%";
    }
    return varispeed < 100 ? Format("-%d%%", 100 - varispeed) : Format("+%d%%", varispeed - 100);
}

std::string TimecodeText(uint32_t frames) {
    const uint32_t seconds = frames / 30;
    return Format("%02u:%02u:%02u:%02u", seconds / 3600 % 100, seconds / 60 % 60, seconds % 60,
                  frames % 30);
}

std::string RemainingTimeText(int32_t ms) {
    const int32_t seconds = RoundUpToHalfSecond(ms) / 1000;
    if (seconds >= 3600) {
        return Format("%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    }
    return Format("%d:%02d", seconds / 60, seconds % 60);
}

}  // namespace tamberline
