#pragma once

#include "app/record_edit.h"
#include "session/button_record.h"

namespace tamberline {

// Editing one button at a time: moving and copying by drag, the button
// clipboard, deleting, and releasing every instance of a sample.
class ButtonEditor {
public:
    explicit ButtonEditor(const EditContext& context) : context_(context) {}

    // The dragged record is the source's record as it was when the drag
    // began. Move is true when it moved.
    bool Move(int source, int target, const ButtonRecord& dragged);
    void Copy(int source, int target, const ButtonRecord& dragged);

    void CutToClip(int button);
    void CopyToClip(int button);
    void Paste(int target);
    bool clipFilled() const { return clipFilled_; }
    void EmptyClip() { clipFilled_ = false; }

    void Delete(int button);
    // Stops and frees every button that plays the same file, after asking
    // when any of them plays or is paused.
    void ReleaseAllInstances(int button);

private:
    // False when the operator keeps what the target holds.
    bool ConfirmOverwrite(int target, const ButtonRecord& incoming);

    const EditContext& context_;
    ButtonRecord clipRecord_{};
    bool clipFilled_ = false;
    bool clipIsCut_ = false;
    int clipSource_ = -1;
};

}  // namespace tamberline
