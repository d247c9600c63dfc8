#include "app/setup_commands.h"

#include "app/console_grid.h"
#include "app/run_control.h"
#include "base/message_box.h"
#include "session/session.h"

namespace tamberline {

void RunSetupButton(const EditContext& context, int button, const SetupButtonDialogFn& dialog) {
    if (button < 0 || button >= kButtonCount || !dialog) {
        return;
    }
    const ButtonRecord before = context.session.records()[static_cast<size_t>(button)];
    if (IsAssigned(before) && !context.run.State(button).IsIdle()) {
        context.run.StopButton(button);
    }
    const std::optional<ButtonRecord> result = dialog(button, before);
    context.grid.RepaintPage();
    if (!result || !RecordsDiffer(before, *result)) {
        return;
    }
    RecordEdit edit(context);
    edit.Touch(button);
    edit.Record(button) = *result;
    edit.Finish();
    if (PathOf(before) != PathOf(*result)) {
        context.run.SetPlayedMs(button, 0);
    }
}

void RunBlockAssign(const EditContext& context, const std::vector<int>& buttons,
                    const BlockAssignDialogFn& dialog) {
    std::vector<ButtonRecord> records;
    for (int button : buttons) {
        if (button >= 0 && button < kButtonCount) {
            records.push_back(context.session.records()[static_cast<size_t>(button)]);
        }
    }
    if (records.size() != buttons.size() || records.empty() || !dialog) {
        return;
    }
    const std::optional<BlockAssignOutcome> outcome = dialog(records);
    if (!outcome || outcome->records.size() != records.size()) {
        return;
    }
    bool emptied = false;
    RecordEdit edit(context);
    for (size_t k = 0; k < records.size(); ++k) {
        ButtonRecord record = outcome->records[k];
        if (!RecordsDiffer(records[k], record)) {
            continue;
        }
        const int button = buttons[k];
        edit.Touch(button);
        if (PathOf(records[k]) != PathOf(record)) {
            context.run.SetPlayedMs(button, 0);
        }
        // Only a file given in this OK is taken away again: a sample that is
        // briefly missing keeps its button when only its volume changed.
        if (IsAssigned(record) && context.run.PrepareButton(button, record) != 0 &&
            k < outcome->newFile.size() && outcome->newFile[k]) {
            record = ButtonRecord{};
            emptied = true;
        }
        edit.Record(button) = record;
    }
    edit.Finish();
    context.grid.RepaintPage();
    if (emptied) {
        context.box.Show(kBlockLoadFailed, mb::kOk | mb::kIconStop);
    }
}

}  // namespace tamberline
