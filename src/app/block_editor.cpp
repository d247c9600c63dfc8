#include "app/block_editor.h"

#include <algorithm>

#include "app/button_editor.h"
#include "app/console_grid.h"
#include "app/console_menu.h"
#include "app/grid_hooks.h"
#include "app/run_control.h"
#include "session/session.h"

namespace tamberline {

namespace {

// Keeps the wait cursor up while a block command runs.
class WaitCursor {
public:
    explicit WaitCursor(GridView& view) : view_(view) { view_.SetWaitCursor(true); }
    ~WaitCursor() { view_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    GridView& view_;
};

}  // namespace

void BlockEditor::Take(bool cut) {
    const std::vector<int> selected = context_.grid.selection().Buttons();
    context_.grid.ClearSelection();
    if (selected.empty()) {
        return;
    }
    clip_.clear();
    for (int button : selected) {
        clip_.push_back({context_.session.records()[static_cast<size_t>(button)],
                         context_.run.State(button).playedMs, button});
    }
    clipIsCut_ = cut;
}

void BlockEditor::Cut() {
    Take(true);
}

void BlockEditor::Copy() {
    Take(false);
}

void BlockEditor::Paste() {
    const std::vector<int> selected = context_.grid.selection().Buttons();
    context_.grid.ClearSelection();
    const size_t n = std::min(clip_.size(), selected.size());
    if (n == 0) {
        return;
    }
    const RecordArray& records = context_.session.records();
    bool changes = false;
    for (size_t i = 0; i < n; ++i) {
        changes =
            changes || RecordsDiffer(records[static_cast<size_t>(selected[i])], clip_[i].record);
    }
    if (!changes) {
        return;
    }
    WaitCursor wait(context_.grid.view());
    RecordEdit edit(context_);
    if (clipIsCut_) {
        for (size_t i = 0; i < n; ++i) {
            edit.Touch(clip_[i].source);
            edit.Record(clip_[i].source) = ButtonRecord{};
            context_.run.SetPlayedMs(clip_[i].source, 0);
        }
    }
    for (size_t i = 0; i < n; ++i) {
        edit.Touch(selected[i]);
        edit.Record(selected[i]) = clip_[i].record;
        context_.run.SetPlayedMs(selected[i], clip_[i].playedMs);
    }
    edit.Finish();
    if (clipIsCut_) {
        clip_.clear();
    }
    context_.grid.RepaintPage();
}

void BlockEditor::Delete() {
    const std::vector<int> selected = context_.grid.selection().Buttons();
    context_.grid.ClearSelection();
    if (selected.empty()) {
        return;
    }
    WaitCursor wait(context_.grid.view());
    RecordEdit edit(context_);
    for (int button : selected) {
        if (IsAssigned(context_.session.records()[static_cast<size_t>(button)])) {
            edit.Touch(button);
        }
        edit.Record(button) = ButtonRecord{};
        context_.run.SetPlayedMs(button, 0);
    }
    edit.Finish();
    buttons_.EmptyClip();
}

void BlockEditor::Assign() {
    const std::vector<int> selected = context_.grid.selection().Buttons();
    context_.grid.ClearSelection();
    if (!selected.empty()) {
        context_.hooks.OpenBlockAssign(selected);
    }
}

bool BlockEditor::RunCommand(int id) {
    switch (id) {
        case cmd::kBlockAssign: Assign(); return true;
        case cmd::kBlockCut: Cut(); return true;
        case cmd::kBlockCopy: Copy(); return true;
        case cmd::kBlockPaste: Paste(); return true;
        case cmd::kBlockDelete: Delete(); return true;
        default: return false;
    }
}

}  // namespace tamberline
