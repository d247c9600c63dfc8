#pragma once

#include <string>
#include <vector>

namespace tamberline {

// Flags of a message box: button set in the low nibble, icon in the next,
// default button in the third.
namespace mb {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kOkCancel = 1;
inline constexpr unsigned kAbortRetryIgnore = 2;
inline constexpr unsigned kYesNoCancel = 3;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kRetryCancel = 5;
inline constexpr unsigned kDropAsioContinue = 6;
inline constexpr unsigned kClearFindIgnore = 7;
inline constexpr unsigned kSorry = 8;
inline constexpr unsigned kAcceptReject = 9;
inline constexpr unsigned kYesYesToAllNoCancel = 10;
inline constexpr unsigned kSaveDeleteLogCancel = 11;

inline constexpr unsigned kIconStop = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconInformation = 0x40;

inline constexpr unsigned kDefault1 = 0x000;
inline constexpr unsigned kDefault2 = 0x100;
inline constexpr unsigned kDefault3 = 0x200;
inline constexpr unsigned kDefault4 = 0x300;
}  // namespace mb

// Result codes of a message box.
enum MessageBoxResult : int {
    kResultClosedByPeer = -1,  // the network link closed an open question
    kResultNone = 0,           // a button set above 11
    kResultOk = 1,
    kResultCancel = 2,
    kResultAbort = 3,
    kResultRetry = 4,
    kResultIgnore = 5,
    kResultYes = 6,
    kResultNo = 7,
    kResultYesToAll = 10,
};

enum class MessageIcon { kStop, kQuestion, kInformation, kExclamation };

// The buttons of a set, left to right; empty for an unknown set.
std::vector<std::string> MessageBoxButtons(unsigned flags);
// The code returned for the button at `index` (0-based) of the flags' set.
int MessageBoxResultFor(unsigned flags, int index);
MessageIcon MessageBoxIcon(unsigned flags);
// 0-based default button, clamped to the buttons the set has.
int MessageBoxDefaultButton(unsigned flags);

// Where a box opens: at the pointer (most questions), centred on the owner,
// or at a given point.
struct BoxPlacement {
    enum class Kind { kAtPointer, kCentred, kAt } kind = Kind::kAtPointer;
    int x = 0;
    int y = 0;
    static BoxPlacement AtPointer() { return {}; }
    static BoxPlacement Centred() { return {Kind::kCentred, 0, 0}; }
    static BoxPlacement At(int x, int y) { return {Kind::kAt, x, y}; }
};

// Every message the operator sees goes through this. The GUI shows the
// program's own box titled "Tamberline."; tests answer from a script.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual int Show(const std::string& text, unsigned flags,
                     BoxPlacement placement = BoxPlacement::AtPointer()) = 0;
};

inline constexpr const char* kMessageBoxTitle = "Tamberline.";

}  // namespace tamberline
