#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/message_box.h"

namespace tamberline::testing {

// Stands in for the operator: answers each question with the next scripted
// button text and records every text shown.
class ScriptedMessageBox final : public MessageBox {
public:
    struct Shown {
        std::string text;
        unsigned flags = 0;
        BoxPlacement placement;
    };

    // Queue the button the operator presses next, by its caption ("Yes").
    void Answer(const std::string& buttonText) { answers_.push_back(buttonText); }

    int Show(const std::string& text, unsigned flags, BoxPlacement placement) override;

    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> Texts() const;
    // Answers queued but never asked for.
    size_t UnusedAnswers() const { return answers_.size(); }

private:
    std::deque<std::string> answers_;
    std::vector<Shown> shown_;
};

}  // namespace tamberline::testing
