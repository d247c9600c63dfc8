#pragma once

#include <QRect>
#include <string>
#include <vector>

#include "app/block_editor.h"
#include "app/button_editor.h"
#include "app/file_drop.h"
#include "app/record_edit.h"
#include "session/button_record.h"

namespace tamberline {

// Modifier keys held at a pointer press.
struct PointerKeys {
    bool shift = false;
    bool control = false;
    bool alt = false;
};

// Which context menu a right press asks for.
struct ContextRequest {
    enum class Kind { kNone, kButton, kBlock } kind = Kind::kNone;
    int button = -1;
};

// The operator's gestures on the grid: pointer presses and releases,
// drags, the block band, context commands, keys and dropped files. Buttons
// are given as indices 0..335 (the view adds the page); -1 means no button.
class GridGestures {
public:
    enum class Drag { kNone, kMove, kCopy, kBlock };

    // `kinds` null: paths are classified by the system's mounts.
    explicit GridGestures(const EditContext& context, const PathKinds* kinds = nullptr);

    void LeftPress(int button, PointerKeys keys);
    void PointerMoved(int button);
    // `overGrid` false: released outside the grid or the window.
    void LeftRelease(int button, bool overGrid);
    // Gives up a press or drag under way (focus or capture lost).
    void CancelPointer();

    Drag drag() const { return drag_; }
    int dragSource() const { return dragSource_; }
    // A drag hovers over a page item of the menu bar.
    void DragOverPage(int page);
    // The block band ended; `cells` are the grid cells it touched (empty
    // when it touched none).
    void FinishBlockBand(QRect cells);

    void HintPress();
    void HintRelease(bool inside);

    ContextRequest RightPress(int button, PointerKeys keys);
    void RunContextCommand(int id, int button);
    bool buttonClipFilled() const { return buttons_.clipFilled(); }
    bool blockClipFilled() const { return blocks_.clipFilled(); }

    // Keys as key codes; `repeat` for auto-repeats. Escape and space act at
    // once; the others are the navigation keys and the trigger keys.
    void KeyDown(int code, bool repeat);
    void KeyUp(int code, bool shift);
    bool tabHeld() const { return tabHeld_; }

    void DropFiles(const std::vector<std::string>& paths, int button);

private:
    void SpaceAction();
    void TriggerKeyDown(int code);
    bool RefuseOnMaster(const char* text, unsigned icon);
    void BeginBlockBand();
    void EndDrag();

    const EditContext& context_;
    PathKinds systemKinds_;
    ButtonEditor buttons_;
    BlockEditor blocks_;
    FileDrop drop_;

    Drag drag_ = Drag::kNone;
    int dragSource_ = -1;
    ButtonRecord dragRecord_{};
    bool tabHeld_ = false;
    bool tabUsed_ = false;  // Tab served as a modifier while held
};

}  // namespace tamberline
