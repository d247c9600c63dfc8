#pragma once

#include <QRect>
#include <array>
#include <string>
#include <vector>

#include "app/button_face.h"
#include "app/grid_geometry.h"
#include "app/run_control.h"
#include "app/status_line.h"
#include "session/button_record.h"

namespace tamberline {

class ConsoleMenu;
class GridHooks;
class Session;

// The parts of the client area the window repaints when the grid changes.
class GridView {
public:
    virtual ~GridView() = default;
    virtual void InvalidateButton(int /*button*/) {}
    virtual void InvalidateTime(int /*button*/) {}
    // Fields 0..14 flow, so they are repainted together.
    virtual void InvalidateButtonInfo() {}
    virtual void InvalidateStatusField(int /*field*/) {}
    virtual void InvalidateGrid() {}
    virtual void InvalidateHeader() {}
    virtual void InvalidateHint() {}
    virtual void SetWaitCursor(bool /*wait*/) {}
    // A dialog or box of the program waits for the operator.
    virtual bool IsModalDialogOpen() const { return false; }
};

// A block of buttons on one page, as a rectangle of grid cells.
struct BlockSelection {
    bool selected = false;
    int page = 0;
    QRect cells;  // columns x rows

    bool Contains(int button) const;
    // The buttons inside, in button order.
    std::vector<int> Buttons() const;
};

// What the console window shows: the page, the cue, the status fields,
// the header message and title, the pressed button and the block
// selection. Reads records from the session and run states from run
// control; tells the view only what changed, and nothing for buttons off
// the page shown.
class ConsoleGrid {
public:
    ConsoleGrid(Session& session, RunControl& run, GridHooks& hooks, ConsoleMenu& menu);
    void SetView(GridView* view) { view_ = view ? view : &nullView_; }

    const ButtonRecord& Record(int button) const;
    ButtonRunView RunView(int button) const;
    Session& session() { return session_; }

    // The status line, the grid and the hint box show only while a session
    // is active (not during start-up).
    bool sessionActive() const { return sessionActive_; }
    void SetSessionActive(bool active);

    int currentPage() const { return currentPage_; }
    bool IsOnPage(int button) const;
    // Slot 0..41 of the page shown to its button.
    int ButtonOfSlot(int slot) const { return currentPage_ * kButtonsPerPage + slot; }
    void SelectPage(int page);
    // The page commands " Page 1 " .. " Page 8 "; false for any other id.
    bool SelectPageCommand(int id);

    void DrawButton(int button);
    void RepaintPage();

    // The cue: the button Enter starts.
    int cueIndex() const { return cueIndex_; }
    bool cueVisible() const { return cueVisible_; }
    void ShowCue(int button);
    // After a load and whenever buttons change: keeps the cue on an
    // assigned button, or switches it off when there is none.
    void CheckCue();
    // To the next (or previous) assigned button, wrapping around.
    void MoveCue(bool backwards);

    // Status fields: 0..14 describe the button under the pointer.
    int statusButton() const { return statusButton_; }
    const std::string& StatusField(int field) const;
    bool outputAlert() const { return outputAlert_; }  // field 0 white on red
    void ShowButtonInfo(int button);
    void RefreshStatusLine();
    void SetStatusField(int field, const std::string& text);

    // The header band.
    const std::string& headerMessage() const { return headerMessage_; }
    void ShowMessage(const std::string& text);
    std::string Title() const;
    void ShowTitle();

    // Pointer state.
    int pressedButton() const { return pressedButton_; }
    void SetPressed(int button);
    bool hintPressed() const { return hintPressed_; }
    void SetHintPressed(bool pressed);
    bool touchScreen() const { return touchScreen_; }
    void SetTouchScreen(bool on);

    const BlockSelection& selection() const { return selection_; }
    void SetSelection(const BlockSelection& selection);
    void ClearSelection();

    // Compares what the page and the status line show with the run states
    // and repaints only what differs. Called every few tens of milliseconds.
    void PollRunStates();

    GridView& view() { return *view_; }

private:
    struct ShownTime {
        std::string caption;
        ColorRef background = 0;
        int inset = 0;
        bool locked = false;
    };

    void SetButtonInfo(const ButtonInfo& info, bool alert);
    ShownTime TimeShown(int button) const;
    // What a button's time field shows now, so that polling repaints only
    // what changes after this.
    void Remember(int button);
    void RememberPage();

    Session& session_;
    RunControl& run_;
    GridHooks& hooks_;
    ConsoleMenu& menu_;
    GridView nullView_;
    GridView* view_ = &nullView_;

    bool sessionActive_ = false;
    int currentPage_ = 0;
    int cueIndex_ = -1;
    bool cueVisible_ = false;
    int statusButton_ = -1;
    std::array<std::string, kStatusFieldCount> fields_;
    bool outputAlert_ = false;
    std::string headerMessage_;
    int pressedButton_ = -1;
    bool hintPressed_ = false;
    bool touchScreen_ = false;
    BlockSelection selection_;
    std::array<ShownTime, kButtonsPerPage> shown_;
};

}  // namespace tamberline
