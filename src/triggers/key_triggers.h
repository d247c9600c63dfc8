#pragma once

#include <Qt>
#include <cstdint>
#include <string>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

// Key codes as stored in `triggerKey` and used by the key handling: the
// Windows virtual-key codes, so that session files travel between systems.
namespace vk {
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kMenu = 0x12;  // Alt
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
inline constexpr int k0 = 0x30;
inline constexpr int kA = 0x41;
inline constexpr int kNumpad0 = 0x60;
inline constexpr int kMultiply = 0x6A;
inline constexpr int kF1 = 0x70;
inline constexpr int kF10 = 0x79;
inline constexpr int kF12 = 0x7B;
}  // namespace vk

inline constexpr int kFirstTriggerKey = 0x40;
inline constexpr int kLastTriggerKey = 0x7B;

inline bool IsTriggerKey(int code) {
    return code >= kFirstTriggerKey && code <= kLastTriggerKey;
}

// The key code of a Qt key event, 0 for a key that has none. Keypad keys
// are told apart by the keypad modifier.
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// One key as the platform reports it: Qt's key and modifiers and, on the
// xkb platforms (X11, Wayland), the key's xkb keycode (the kernel's key
// number + 8); 0 when the platform gives none.
struct KeyPress {
    int qtKey = 0;
    Qt::KeyboardModifiers modifiers;
    uint32_t xkbKeycode = 0;
};

// The key code as the keyboard's virtual keys give it, whatever the layout:
// the digit row, function keys, arrows, Tab, Enter, Escape and space by
// where the key sits (Shift+1 and AZERTY's 1 are still 1); letters by the
// Latin letter the layout puts on the key (AZERTY's A is A), or by the US
// letter of that place when the layout has no Latin letters (Cyrillic,
// Greek). Keypad keys follow Num Lock, as Qt reports them.
int VirtualKeyOf(const KeyPress& key);

// " A ", " NUMPAD 0 ", " F12 "; empty for 0 and for codes without a name.
std::string KeyName(int code);

// Every button whose trigger key is `code`, lowest first; none for a code
// that can never be a trigger key.
std::vector<int> ButtonsStartedByKey(const RecordArray& records, int code);
// Every button whose trigger key is `code` and that plays while triggered.
std::vector<int> ButtonsReleasedByKey(const RecordArray& records, int code);

}  // namespace tamberline
