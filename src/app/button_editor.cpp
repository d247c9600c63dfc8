#include "app/button_editor.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "app/console_grid.h"
#include "app/run_control.h"
#include "base/message_box.h"
#include "base/path_compare.h"
#include "session/session.h"

namespace tamberline {

namespace {

bool ValidButton(int button) {
    return button >= 0 && button < kButtonCount;
}

}  // namespace

bool ButtonEditor::ConfirmOverwrite(int target, const ButtonRecord& incoming) {
    const ButtonRecord& current = context_.session.records()[static_cast<size_t>(target)];
    if (!IsAssigned(current) || !RecordsDiffer(current, incoming)) {
        return true;
    }
    return context_.box.Show("Overwrite this button ?",
                             mb::kYesNo | mb::kIconQuestion | mb::kDefault2) == kResultYes;
}

bool ButtonEditor::Move(int source, int target, const ButtonRecord& dragged) {
    if (!ValidButton(source) || !ValidButton(target) || source == target) {
        return false;
    }
    if (!ConfirmOverwrite(target, dragged)) {
        return false;
    }
    const RecordArray& records = context_.session.records();
    if (!IsAssigned(records[static_cast<size_t>(source)]) &&
        !IsAssigned(records[static_cast<size_t>(target)])) {
        return false;
    }
    const uint32_t played = context_.run.State(source).playedMs;
    RecordEdit edit(context_);
    edit.Touch(source);
    edit.Record(source) = ButtonRecord{};
    edit.Touch(target);
    edit.Record(target) = dragged;
    edit.Finish();
    context_.run.SetPlayedMs(target, played);
    context_.run.SetPlayedMs(source, 0);
    return true;
}

void ButtonEditor::Copy(int source, int target, const ButtonRecord& dragged) {
    if (!ValidButton(source) || !ValidButton(target) || source == target) {
        return;
    }
    if (!ConfirmOverwrite(target, dragged)) {
        return;
    }
    if (!RecordsDiffer(dragged, context_.session.records()[static_cast<size_t>(target)])) {
        return;
    }
    RecordEdit edit(context_);
    edit.Touch(target);
    edit.Record(target) = dragged;
    edit.Finish();
    context_.run.SetPlayedMs(target, 0);
}

void ButtonEditor::CutToClip(int button) {
    CopyToClip(button);
    clipIsCut_ = clipFilled_;
}

void ButtonEditor::CopyToClip(int button) {
    if (!ValidButton(button)) {
        return;
    }
    clipRecord_ = context_.session.records()[static_cast<size_t>(button)];
    clipFilled_ = true;
    clipIsCut_ = false;
    clipSource_ = button;
}

void ButtonEditor::Paste(int target) {
    if (!clipFilled_ || !ValidButton(target) || target == clipSource_) {
        return;
    }
    if (clipIsCut_) {
        // The target gets the record as it was cut; the source is cleared
        // whatever it holds now.
        if (Move(clipSource_, target, clipRecord_)) {
            EmptyClip();
        }
        return;
    }
    Copy(clipSource_, target, clipRecord_);
}

void ButtonEditor::Delete(int button) {
    if (!ValidButton(button) ||
        !IsAssigned(context_.session.records()[static_cast<size_t>(button)])) {
        return;
    }
    RecordEdit edit(context_);
    edit.Touch(button);
    edit.Record(button) = ButtonRecord{};
    edit.Finish();
    context_.run.SetPlayedMs(button, 0);
    EmptyClip();
}

void ButtonEditor::ReleaseAllInstances(int button) {
    if (!ValidButton(button)) {
        return;
    }
    const RecordArray& records = context_.session.records();
    const ButtonRecord& record = records[static_cast<size_t>(button)];
    if (!IsAssigned(record)) {
        return;
    }
    const std::string path(PathOf(record));
    std::vector<int> instances;
    bool playing = false;
    for (int k = 0; k < kButtonCount; ++k) {
        const ButtonRecord& other = records[static_cast<size_t>(k)];
        if (IsAssigned(other) && SamePathIgnoringCase(PathOf(other), path)) {
            instances.push_back(k);
            playing = playing || !context_.run.State(k).IsIdle();
        }
    }
    if (playing &&
        context_.box.Show("This command will stop and reset \n"
                          "all instances of this sample \n"
                          "which are currently playing or paused.",
                          mb::kOkCancel | mb::kIconInformation | mb::kDefault2) != kResultOk) {
        return;
    }
    for (int k : instances) {
        context_.run.StopButton(k);
    }
}

}  // namespace tamberline
