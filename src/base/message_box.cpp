#include "base/message_box.h"

namespace tamberline {

namespace {
unsigned ButtonSet(unsigned flags) {
    return flags & 0x0F;
}
}  // namespace

std::vector<std::string> MessageBoxButtons(unsigned flags) {
    switch (ButtonSet(flags)) {
        case 0: return {"Ok"};
        case 1: return {"Ok", "Cancel"};
        case 2: return {"Abort", "Try again", "Ignore"};
        case 3: return {"Yes", "No", "Cancel"};
        case 4: return {"Yes", "No"};
        case 5: return {"Try again", "Cancel"};
        case 6: return {"Drop ASIO", "Continue"};
        case 7: return {"Clear", "Find", "Ignore"};
        case 8: return {"Sorry"};
        case 9: return {"Accept", "Reject"};
        case 10: return {"Yes", "Yes to All", "No", "Cancel"};
        case 11: return {"Save log", "Delete log", "Cancel"};
        default: return {};
    }
}

int MessageBoxResultFor(unsigned flags, int index) {
    const unsigned set = ButtonSet(flags);
    if (set > 11) {
        return kResultNone;
    }
    switch (index) {
        case 0:
            if (set == 2)
                return kResultAbort;
            if (set == 5)
                return kResultRetry;
            if (set == 3 || set == 4 || set == 7 || set == 10 || set == 11)
                return kResultYes;
            return kResultOk;
        case 1:
            if (set == 2)
                return kResultRetry;
            if (set == 3 || set == 4 || set == 7 || set == 11)
                return kResultNo;
            if (set == 10)
                return kResultYesToAll;
            return kResultCancel;
        case 2:
            if (set == 2)
                return kResultIgnore;
            if (set == 10)
                return kResultNo;
            return kResultCancel;
        default: return kResultCancel;
    }
}

MessageIcon MessageBoxIcon(unsigned flags) {
    switch (flags & 0xF0) {
        case mb::kIconStop: return MessageIcon::kStop;
        case mb::kIconQuestion: return MessageIcon::kQuestion;
        case mb::kIconInformation: return MessageIcon::kInformation;
        default: return MessageIcon::kExclamation;
    }
}

int MessageBoxDefaultButton(unsigned flags) {
    const int wanted = static_cast<int>((flags & 0xF00) >> 8);
    const int count = static_cast<int>(MessageBoxButtons(flags).size());
    if (count == 0) {
        return 0;
    }
    return wanted < count ? wanted : count - 1;
}

}  // namespace tamberline
