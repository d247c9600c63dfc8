#include "support/scripted_message_box.h"

#include <gtest/gtest.h>

namespace tamberline::testing {

int ScriptedMessageBox::Show(const std::string& text, unsigned flags, BoxPlacement placement) {
    shown_.push_back({text, flags, placement});
    const std::vector<std::string> buttons = MessageBoxButtons(flags);
    if (buttons.empty()) {
        return kResultNone;
    }
    if (answers_.empty()) {
        // An unscripted box is pressed with its default, as Enter would.
        return MessageBoxResultFor(flags, MessageBoxDefaultButton(flags));
    }
    const std::string answer = answers_.front();
    answers_.pop_front();
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i] == answer) {
            return MessageBoxResultFor(flags, static_cast<int>(i));
        }
    }
    ADD_FAILURE() << "scripted answer \"" << answer << "\" is not a button of: " << text;
    return kResultCancel;
}

std::vector<std::string> ScriptedMessageBox::Texts() const {
    std::vector<std::string> texts;
    for (const Shown& s : shown_) {
        texts.push_back(s.text);
    }
    return texts;
}

}  // namespace tamberline::testing
