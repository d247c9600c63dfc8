#include "triggers/key_triggers.h"

#include <QChar>
#include <cstdio>
#include <cstring>

namespace tamberline {

namespace {

int KeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return vk::kNumpad0 + (qtKey - Qt::Key_0);
    }
    switch (qtKey) {
        case Qt::Key_Asterisk: return 0x6A;
        case Qt::Key_Plus: return 0x6B;
        case Qt::Key_Minus: return 0x6D;
        case Qt::Key_Period: return 0x6E;
        case Qt::Key_Comma: return 0x6E;  // the decimal key of some layouts
        case Qt::Key_Slash: return 0x6F;
        case Qt::Key_Enter: return vk::kReturn;
        default: return 0;
    }
}

// Keys whose code follows their place on the keyboard, by kernel key number.
int KeyAtPlace(int place) {
    if (place >= 2 && place <= 10) {
        return vk::k0 + (place - 1);  // 1..9
    }
    if (place >= 59 && place <= 68) {
        return vk::kF1 + (place - 59);  // F1..F10
    }
    switch (place) {
        case 1: return vk::kEscape;
        case 11: return vk::k0;
        case 15: return vk::kTab;
        case 28: return vk::kReturn;
        case 29:
        case 97: return vk::kControl;
        case 42:
        case 54: return vk::kShift;
        case 56: return vk::kMenu;
        case 57: return vk::kSpace;
        case 87: return vk::kF1 + 10;  // F11
        case 88: return vk::kF12;
        case 103: return vk::kUp;
        case 105: return vk::kLeft;
        case 106: return vk::kRight;
        case 108: return vk::kDown;
        default: return 0;
    }
}

// The letter a US keyboard has at a place, 0 for a place without one.
int UsLetterAt(int place) {
    static constexpr char kRows[][11] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static constexpr int kRowStart[] = {16, 30, 44};
    for (size_t row = 0; row < 3; ++row) {
        const int column = place - kRowStart[row];
        if (column >= 0 && column < static_cast<int>(std::strlen(kRows[row]))) {
            return kRows[row][column];
        }
    }
    return 0;
}

// A letter of some script other than Latin (Qt gives such keys as the
// upper-case character).
bool IsNonLatinLetter(int qtKey) {
    if (qtKey < 0x250 || qtKey > 0xFFFF) {
        return false;
    }
    return QChar(static_cast<char16_t>(qtKey)).isLetter();
}

}  // namespace

int VirtualKeyOf(const KeyPress& key) {
    if (key.xkbKeycode > 8) {
        const int place = static_cast<int>(key.xkbKeycode) - 8;
        if (const int code = KeyAtPlace(place)) {
            return code;
        }
        if (IsNonLatinLetter(key.qtKey)) {
            if (const int letter = UsLetterAt(place)) {
                return letter;
            }
        }
    }
    return VirtualKeyFromQt(key.qtKey, key.modifiers);
}

int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int code = KeypadKey(qtKey)) {
            return code;
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return vk::kA + (qtKey - Qt::Key_A);
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return vk::k0 + (qtKey - Qt::Key_0);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return vk::kF1 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return vk::kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return vk::kReturn;
        case Qt::Key_Escape: return vk::kEscape;
        case Qt::Key_Space: return vk::kSpace;
        case Qt::Key_Left: return vk::kLeft;
        case Qt::Key_Up: return vk::kUp;
        case Qt::Key_Right: return vk::kRight;
        case Qt::Key_Down: return vk::kDown;
        case Qt::Key_Shift: return vk::kShift;
        case Qt::Key_Control: return vk::kControl;
        case Qt::Key_Alt: return vk::kMenu;
        default: return 0;
    }
}

std::string KeyName(int code) {
    char text[16];
    if (code >= 0x40 && code <= 0x5B) {
        std::snprintf(text, sizeof text, " %c ", code);
        return text;
    }
    if (code >= vk::kNumpad0 && code <= vk::kNumpad0 + 9) {
        std::snprintf(text, sizeof text, " NUMPAD %d ", code - vk::kNumpad0);
        return text;
    }
    if (code >= vk::kF1 && code <= vk::kF12) {
        std::snprintf(text, sizeof text, " F%d ", code - vk::kF1 + 1);
        return text;
    }
    return {};
}

std::vector<int> ButtonsStartedByKey(const RecordArray& records, int code) {
    std::vector<int> buttons;
    if (!IsTriggerKey(code)) {
        return buttons;
    }
    for (int k = 0; k < kButtonCount; ++k) {
        if (records[static_cast<size_t>(k)].triggerKey == code) {
            buttons.push_back(k);
        }
    }
    return buttons;
}

std::vector<int> ButtonsReleasedByKey(const RecordArray& records, int code) {
    std::vector<int> buttons;
    for (int k : ButtonsStartedByKey(records, code)) {
        if (records[static_cast<size_t>(k)].flags & kFlagPlayWhileTriggered) {
            buttons.push_back(k);
        }
    }
    return buttons;
}

}  // namespace tamberline
