#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "app/record_edit.h"
#include "session/button_record.h"

namespace tamberline {

// What the Block assign dialog hands back on OK: the block's records, slot
// by slot, and which records received a new file.
struct BlockAssignOutcome {
    std::vector<ButtonRecord> records;
    std::vector<bool> newFile;
};

// The dialogs, run modally on copies; nothing when cancelled.
using SetupButtonDialogFn =
    std::function<std::optional<ButtonRecord>(int button, const ButtonRecord&)>;
using BlockAssignDialogFn =
    std::function<std::optional<BlockAssignOutcome>(const std::vector<ButtonRecord>& records)>;

inline constexpr char kBlockLoadFailed[] =
    "Some files could not be loaded.\n"
    "Either the hardware didn't support the file type,\n"
    "or there was an error in the file.";

// The console's side of "Setup Button": the button stops before the dialog
// opens; an OK that changed the record is one undo step of one entry.
void RunSetupButton(const EditContext& context, int button, const SetupButtonDialogFn& dialog);

// The console's side of Block assign: every slot that changed is copied
// back as one undo step; a changed assigned button is prepared at once,
// and one that got a new file it cannot play is emptied.
void RunBlockAssign(const EditContext& context, const std::vector<int>& buttons,
                    const BlockAssignDialogFn& dialog);

}  // namespace tamberline
