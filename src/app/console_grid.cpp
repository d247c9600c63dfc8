#include "app/console_grid.h"

#include "app/console_menu.h"
#include "app/grid_hooks.h"
#include "session/session.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

constexpr int kCueField = 16;

bool ValidButton(int button) {
    return button >= 0 && button < kButtonCount;
}

std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

bool BlockSelection::Contains(int button) const {
    if (!selected || button / kButtonsPerPage != page) {
        return false;
    }
    const int slot = button % kButtonsPerPage;
    return cells.contains(slot % kGridColumns, slot / kGridColumns);
}

std::vector<int> BlockSelection::Buttons() const {
    std::vector<int> buttons;
    if (!selected) {
        return buttons;
    }
    for (int row = cells.top(); row <= cells.bottom(); ++row) {
        for (int column = cells.left(); column <= cells.right(); ++column) {
            buttons.push_back(page * kButtonsPerPage + row * kGridColumns + column);
        }
    }
    return buttons;
}

ConsoleGrid::ConsoleGrid(Session& session, RunControl& run, GridHooks& hooks, ConsoleMenu& menu)
    : session_(session), run_(run), hooks_(hooks), menu_(menu) {}

const ButtonRecord& ConsoleGrid::Record(int button) const {
    return session_.records()[static_cast<size_t>(button)];
}

ButtonRunView ConsoleGrid::RunView(int button) const {
    return run_.State(button);
}

void ConsoleGrid::SetSessionActive(bool active) {
    if (active == sessionActive_) {
        return;
    }
    sessionActive_ = active;
    if (!active) {
        statusButton_ = -1;
        fields_ = {};
        outputAlert_ = false;
    }
    RememberPage();
    view_->InvalidateGrid();
    view_->InvalidateHint();
    view_->InvalidateButtonInfo();
    for (int field = kButtonInfoFields; field < kStatusFieldCount; ++field) {
        view_->InvalidateStatusField(field);
    }
}

bool ConsoleGrid::IsOnPage(int button) const {
    return ValidButton(button) && button / kButtonsPerPage == currentPage_;
}

void ConsoleGrid::SelectPage(int page) {
    if (page < 0 || page >= kPageCount) {
        return;
    }
    currentPage_ = page;
    menu_.SetCurrentPage(page);
    pressedButton_ = -1;
    selection_ = {};
    RememberPage();
    view_->InvalidateGrid();
}

bool ConsoleGrid::SelectPageCommand(int id) {
    if (id < cmd::kPage1 || id >= cmd::kPage1 + kPageCount) {
        return false;
    }
    SelectPage(id - cmd::kPage1);
    return true;
}

void ConsoleGrid::DrawButton(int button) {
    if (IsOnPage(button)) {
        Remember(button);
        view_->InvalidateButton(button);
    }
}

void ConsoleGrid::RepaintPage() {
    RememberPage();
    view_->InvalidateGrid();
}

void ConsoleGrid::ShowCue(int button) {
    if (!ValidButton(button)) {
        return;
    }
    const int previous = cueIndex_;
    cueIndex_ = button;
    cueVisible_ = true;
    for (int k : {previous, button}) {
        if (IsOnPage(k)) {
            Remember(k);
            view_->InvalidateTime(k);
        }
    }
    SetStatusField(kCueField, CueText(button));
}

void ConsoleGrid::CheckCue() {
    const RecordArray& records = session_.records();
    auto assigned = [&](int k) { return IsAssigned(records[static_cast<size_t>(k)]); };
    int first = -1;
    for (int k = 0; k < kButtonCount && first < 0; ++k) {
        if (assigned(k)) {
            first = k;
        }
    }
    if (first < 0) {
        const int previous = cueIndex_;
        cueIndex_ = -1;
        cueVisible_ = false;
        if (IsOnPage(previous)) {
            Remember(previous);
            view_->InvalidateTime(previous);
        }
        SetStatusField(kCueField, "");
        return;
    }
    if (cueIndex_ < 0) {
        ShowCue(first);
        return;
    }
    if (assigned(cueIndex_)) {
        return;
    }
    int after = -1;
    for (int k = cueIndex_ + 1; k < kButtonCount && after < 0; ++k) {
        if (assigned(k)) {
            after = k;
        }
    }
    int before = -1;
    for (int k = cueIndex_ - 1; k >= 0 && before < 0; --k) {
        if (assigned(k)) {
            before = k;
        }
    }
    const bool followingNearer =
        after >= 0 && (before < 0 || after - cueIndex_ < cueIndex_ - before);
    ShowCue(followingNearer ? after : before);
}

void ConsoleGrid::MoveCue(bool backwards) {
    if (cueIndex_ < 0) {
        return;
    }
    const RecordArray& records = session_.records();
    const int step = backwards ? kButtonCount - 1 : 1;
    for (int n = 1; n <= kButtonCount; ++n) {
        const int k = (cueIndex_ + n * step) % kButtonCount;
        if (IsAssigned(records[static_cast<size_t>(k)])) {
            ShowCue(k);
            return;
        }
    }
}

const std::string& ConsoleGrid::StatusField(int field) const {
    static const std::string kNone;
    return field >= 0 && field < kStatusFieldCount ? fields_[static_cast<size_t>(field)] : kNone;
}

void ConsoleGrid::ShowButtonInfo(int button) {
    if (!sessionActive_ || !ValidButton(button)) {
        return;
    }
    statusButton_ = button;
    const ButtonRecord& record = Record(button);
    ButtonInfoInput input;
    input.button = button;
    input.record = &record;
    input.run = run_.State(button);
    input.outputValid = hooks_.IsValidOutput(record.output);
    input.isSonglist = IsAssigned(record) && hooks_.IsSonglistFile(std::string(PathOf(record)));
    const bool alert = IsAssigned(record) && !input.run.locked && !input.outputValid;
    SetButtonInfo(ButtonInfoPieces(input), alert);
}

void ConsoleGrid::RefreshStatusLine() {
    if (statusButton_ >= 0) {
        ShowButtonInfo(statusButton_);
    }
}

void ConsoleGrid::SetButtonInfo(const ButtonInfo& info, bool alert) {
    bool changed = alert != outputAlert_;
    for (int i = 0; i < kButtonInfoFields; ++i) {
        changed = changed || fields_[static_cast<size_t>(i)] != info[static_cast<size_t>(i)];
    }
    if (!changed) {
        return;
    }
    std::copy(info.begin(), info.end(), fields_.begin());
    outputAlert_ = alert;
    view_->InvalidateButtonInfo();
}

void ConsoleGrid::SetStatusField(int field, const std::string& text) {
    if (field < 0 || field >= kStatusFieldCount) {
        return;
    }
    std::string& shown = fields_[static_cast<size_t>(field)];
    if (shown == text) {
        return;
    }
    shown = text;
    if (field < kButtonInfoFields) {
        view_->InvalidateButtonInfo();
    } else {
        view_->InvalidateStatusField(field);
    }
}

void ConsoleGrid::ShowMessage(const std::string& text) {
    if (text != headerMessage_) {
        headerMessage_ = text;
        view_->InvalidateHeader();
    }
}

std::string ConsoleGrid::Title() const {
    const std::string link = hooks_.LinkTitle();
    if (!link.empty()) {
        return link;
    }
    return WithoutExtension(FileNamePart(session_.sessionPath()));
}

void ConsoleGrid::ShowTitle() {
    view_->InvalidateHeader();
}

void ConsoleGrid::SetPressed(int button) {
    if (button == pressedButton_) {
        return;
    }
    const int previous = pressedButton_;
    pressedButton_ = button;
    if (IsOnPage(previous)) {
        view_->InvalidateButton(previous);
    }
    if (IsOnPage(button)) {
        view_->InvalidateButton(button);
    }
}

void ConsoleGrid::SetHintPressed(bool pressed) {
    if (pressed != hintPressed_) {
        hintPressed_ = pressed;
        view_->InvalidateHint();
    }
}

void ConsoleGrid::SetTouchScreen(bool on) {
    if (on != touchScreen_) {
        touchScreen_ = on;
        view_->InvalidateHint();
    }
}

void ConsoleGrid::SetSelection(const BlockSelection& selection) {
    selection_ = selection;
    view_->InvalidateGrid();
}

void ConsoleGrid::ClearSelection() {
    if (selection_.selected) {
        selection_ = {};
        view_->InvalidateGrid();
    }
}

ConsoleGrid::ShownTime ConsoleGrid::TimeShown(int button) const {
    const ButtonRunView run = run_.State(button);
    const TimeFieldLook look = TimeLook(Record(button), run, button == cueIndex_ && cueVisible_);
    return {look.caption, look.background, look.inset, run.locked};
}

void ConsoleGrid::Remember(int button) {
    shown_[static_cast<size_t>(button % kButtonsPerPage)] = TimeShown(button);
}

void ConsoleGrid::RememberPage() {
    for (int slot = 0; slot < kButtonsPerPage; ++slot) {
        Remember(ButtonOfSlot(slot));
    }
}

void ConsoleGrid::PollRunStates() {
    if (!sessionActive_) {
        return;
    }
    for (int slot = 0; slot < kButtonsPerPage; ++slot) {
        const int button = ButtonOfSlot(slot);
        ShownTime now = TimeShown(button);
        ShownTime& before = shown_[static_cast<size_t>(slot)];
        if (now.caption != before.caption || now.background != before.background ||
            now.inset != before.inset || now.locked != before.locked) {
            before = std::move(now);
            view_->InvalidateTime(button);
        }
    }
    RefreshStatusLine();
}

}  // namespace tamberline
