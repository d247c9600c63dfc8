#include "app/grid_gestures.h"

#include "app/console_grid.h"
#include "app/console_menu.h"
#include "app/grid_hooks.h"
#include "app/run_control.h"
#include "base/message_box.h"
#include "net/link_state.h"
#include "session/registry.h"
#include "session/session.h"
#include "triggers/key_triggers.h"

namespace tamberline {

namespace {

constexpr const char* kCannotAssign = "Cannot assign the buttons\nof a remote slave.";

bool ValidButton(int button) {
    return button >= 0 && button < kButtonCount;
}

}  // namespace

GridGestures::GridGestures(const EditContext& context, const PathKinds* kinds)
    : context_(context),
      buttons_(context),
      blocks_(context, buttons_),
      drop_(context, kinds ? *kinds : systemKinds_) {
    context_.grid.SetTouchScreen(context_.registry.IsOn(settings::kTouchScreen));
}

bool GridGestures::RefuseOnMaster(const char* text, unsigned icon) {
    if (!context_.link.IsLinkedMaster()) {
        return false;
    }
    context_.box.Show(text, mb::kOk | icon);
    return true;
}

void GridGestures::LeftPress(int button, PointerKeys keys) {
    ConsoleGrid& grid = context_.grid;
    if (!grid.sessionActive()) {
        return;
    }
    if (tabHeld_) {
        tabUsed_ = true;
        BeginBlockBand();
        return;
    }
    if (!ValidButton(button)) {
        return;
    }
    const ButtonRunView run = context_.run.State(button);
    // Window managers take Alt+drag for themselves: Ctrl+Shift+drag moves too.
    const bool move = keys.alt || (keys.control && keys.shift);
    if (run.IsIdle() && keys.shift && !move) {
        if (!RefuseOnMaster(kCannotAssign, mb::kIconStop)) {
            context_.hooks.OpenSetupButton(button);
        }
        return;
    }
    if (run.IsIdle() && (move || keys.control)) {
        if (!RefuseOnMaster("Cannot drag the buttons\nof a remote slave.", mb::kIconExclamation)) {
            drag_ = move ? Drag::kMove : Drag::kCopy;
            dragSource_ = button;
            dragRecord_ = grid.Record(button);
        }
        return;
    }
    if (run.locked) {
        return;
    }
    grid.SetPressed(button);
}

void GridGestures::BeginBlockBand() {
    if (RefuseOnMaster("Cannot block assign the buttons\nof a remote slave.",
                       mb::kIconExclamation)) {
        return;
    }
    for (int k = 0; k < kButtonCount; ++k) {
        if (!context_.run.State(k).IsIdle()) {
            context_.box.Show("All buttons must be stopped \nto use block select.",
                              mb::kOk | mb::kIconExclamation);
            return;
        }
    }
    context_.grid.ClearSelection();
    drag_ = Drag::kBlock;
}

void GridGestures::PointerMoved(int button) {
    ConsoleGrid& grid = context_.grid;
    if (grid.pressedButton() >= 0 && button != grid.pressedButton()) {
        grid.SetPressed(-1);
    }
    if (ValidButton(button) && button != grid.statusButton()) {
        grid.ShowButtonInfo(button);
    }
}

void GridGestures::LeftRelease(int button, bool overGrid) {
    ConsoleGrid& grid = context_.grid;
    if (drag_ == Drag::kMove || drag_ == Drag::kCopy) {
        const Drag drag = drag_;
        const int source = dragSource_;
        EndDrag();
        if (overGrid && ValidButton(button)) {
            if (drag == Drag::kMove) {
                buttons_.Move(source, button, dragRecord_);
            } else {
                buttons_.Copy(source, button, dragRecord_);
            }
        }
        return;
    }
    if (drag_ == Drag::kBlock) {
        // The view reports the band's cells with FinishBlockBand.
        return;
    }
    const int pressed = grid.pressedButton();
    grid.SetPressed(-1);
    if (pressed < 0 || pressed != button || !overGrid) {
        return;
    }
    const ButtonRunView run = context_.run.State(button);
    if (grid.touchScreen() && run.running && !run.fadingOut) {
        context_.run.ReleaseButton(button);
    } else {
        context_.run.StartButton(button);
    }
    if (IsAssigned(grid.Record(button))) {
        grid.ShowCue(button);
    }
}

void GridGestures::EndDrag() {
    drag_ = Drag::kNone;
    dragSource_ = -1;
}

void GridGestures::CancelPointer() {
    EndDrag();
    context_.grid.SetPressed(-1);
    context_.grid.SetHintPressed(false);
    tabHeld_ = false;
}

void GridGestures::DragOverPage(int page) {
    if ((drag_ == Drag::kMove || drag_ == Drag::kCopy) && page != context_.grid.currentPage()) {
        context_.grid.SelectPage(page);
    }
}

void GridGestures::FinishBlockBand(QRect cells) {
    if (drag_ != Drag::kBlock) {
        return;
    }
    EndDrag();
    if (cells.isEmpty()) {
        return;
    }
    BlockSelection selection;
    selection.selected = true;
    selection.page = context_.grid.currentPage();
    selection.cells = cells.intersected(QRect(0, 0, kGridColumns, kGridRows));
    selection.selected = !selection.cells.isEmpty();
    context_.grid.SetSelection(selection);
}

void GridGestures::HintPress() {
    if (context_.grid.sessionActive()) {
        context_.grid.SetHintPressed(true);
    }
}

void GridGestures::HintRelease(bool inside) {
    ConsoleGrid& grid = context_.grid;
    if (!grid.hintPressed()) {
        return;
    }
    grid.SetHintPressed(false);
    if (inside) {
        grid.SetTouchScreen(!grid.touchScreen());
        context_.registry.SetOn(settings::kTouchScreen, grid.touchScreen());
    }
}

ContextRequest GridGestures::RightPress(int button, PointerKeys keys) {
    ConsoleGrid& grid = context_.grid;
    if (!grid.sessionActive()) {
        return {};
    }
    if (grid.selection().Contains(button)) {
        return {ContextRequest::Kind::kBlock, button};
    }
    grid.ClearSelection();
    if (!ValidButton(button)) {
        return {};
    }
    const ButtonRunView run = context_.run.State(button);
    if (!run.IsIdle()) {
        if (keys.shift && run.playsSegments) {
            context_.run.SetReleaseToEnd(button);
        } else {
            context_.run.ReleaseButton(button);
        }
        return {};
    }
    if (tabHeld_) {
        tabUsed_ = true;
        if (IsAssigned(grid.Record(button))) {
            grid.ShowCue(button);
        }
        return {};
    }
    if (keys.shift || keys.control) {
        if (RefuseOnMaster(kCannotAssign, mb::kIconExclamation)) {
            return {};
        }
        return {ContextRequest::Kind::kButton, button};
    }
    return {};
}

void GridGestures::RunContextCommand(int id, int button) {
    if (blocks_.RunCommand(id) || !ValidButton(button)) {
        return;
    }
    RunControl& run = context_.run;
    switch (id) {
        case cmd::kSetupButton:
            if (!run.State(button).running) {
                context_.hooks.OpenSetupButton(button);
            }
            break;
        case cmd::kReset: run.StopButton(button); break;
        case cmd::kRelease: buttons_.ReleaseAllInstances(button); break;
        case cmd::kClearRunTime: run.SetPlayedMs(button, 0); break;
        case cmd::kClearAllRunTimes:
            for (int k = 0; k < kButtonCount; ++k) {
                run.SetPlayedMs(k, 0);
            }
            break;
        case cmd::kCut: buttons_.CutToClip(button); break;
        case cmd::kCopy: buttons_.CopyToClip(button); break;
        case cmd::kPaste: buttons_.Paste(button); break;
        case cmd::kDelete: buttons_.Delete(button); break;
        case cmd::kEdit: context_.hooks.EditSample(button); break;
        default: break;
    }
    context_.grid.RefreshStatusLine();
}

void GridGestures::SpaceAction() {
    context_.run.ClearBuzzerLocks();
    if (context_.link.IsLinked()) {
        context_.hooks.TellLinkLocksCleared();
    }
    context_.grid.RefreshStatusLine();
}

void GridGestures::KeyDown(int code, bool repeat) {
    if (repeat) {
        return;
    }
    if (code == vk::kEscape) {
        context_.run.StopAll();
        context_.grid.ClearSelection();
        SpaceAction();
        return;
    }
    if (code == vk::kSpace) {
        SpaceAction();
        return;
    }
    TriggerKeyDown(code);
}

void GridGestures::TriggerKeyDown(int code) {
    ConsoleGrid& grid = context_.grid;
    const int page = grid.currentPage();
    if (code == vk::kLeft) {
        grid.SelectPage((page + kPageCount - 1) % kPageCount);
    } else if (code == vk::kRight) {
        grid.SelectPage((page + 1) % kPageCount);
    } else if (code >= vk::k0 + 1 && code <= vk::k0 + kPageCount) {
        grid.SelectPage(code - vk::k0 - 1);
    } else if (code == vk::kTab) {
        tabHeld_ = true;
        tabUsed_ = false;
    } else if (code == vk::kReturn) {
        if (grid.cueIndex() >= 0) {
            context_.run.StartButton(grid.cueIndex());
            grid.MoveCue(false);
        }
    } else if (IsTriggerKey(code)) {
        const std::vector<int> buttons = ButtonsStartedByKey(context_.session.records(), code);
        if (!buttons.empty()) {
            context_.run.RequestStarts(buttons);
        } else if (code == vk::kF1) {
            // A show may fire cues with F1; only an unused F1 asks for help.
            context_.hooks.OpenHelp();
        }
    }
}

void GridGestures::KeyUp(int code, bool shift) {
    if (code == vk::kTab) {
        // Tab held for a block band or a cue click has done its work.
        if (tabHeld_ && !tabUsed_) {
            context_.grid.MoveCue(shift);
        }
        tabHeld_ = false;
        return;
    }
    for (int button : ButtonsReleasedByKey(context_.session.records(), code)) {
        context_.run.ReleaseButton(button);
    }
}

void GridGestures::DropFiles(const std::vector<std::string>& paths, int button) {
    drop_.Drop(paths, button);
}

}  // namespace tamberline
