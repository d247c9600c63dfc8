#include "triggers/key_triggers.h"

#include <cstdio>

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

}  // namespace

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
