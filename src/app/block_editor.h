#pragma once

#include <cstdint>
#include <vector>

#include "app/record_edit.h"
#include "session/button_record.h"

namespace tamberline {

class ButtonEditor;

// Editing the block of buttons selected on the grid: the block clipboard
// and the block commands. Every command clears the selection.
class BlockEditor {
public:
    BlockEditor(const EditContext& context, ButtonEditor& buttons)
        : context_(context), buttons_(buttons) {}

    bool clipFilled() const { return !clip_.empty(); }

    void Cut();
    void Copy();
    void Paste();
    void Delete();
    void Assign();
    // A block context command; false for any other id.
    bool RunCommand(int id);

private:
    struct ClipEntry {
        ButtonRecord record{};
        uint32_t playedMs = 0;
        int source = 0;
    };

    void Take(bool cut);

    const EditContext& context_;
    ButtonEditor& buttons_;
    std::vector<ClipEntry> clip_;
    bool clipIsCut_ = false;
};

}  // namespace tamberline
