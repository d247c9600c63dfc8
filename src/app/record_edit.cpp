#include "app/record_edit.h"

#include "app/console_grid.h"
#include "app/run_control.h"
#include "session/registry.h"
#include "session/session.h"

namespace tamberline {

namespace {}  // namespace

RecordEdit::RecordEdit(const EditContext& context) : context_(context) {
    context_.session.BeginChange();
}

RecordEdit::~RecordEdit() {
    if (!finished_) {
        Finish(true);
    }
}

void RecordEdit::Touch(int button) {
    if (button < 0 || button >= kButtonCount) {
        return;
    }
    const ButtonRunView run = context_.run.State(button);
    if (run.running || run.paused) {
        context_.run.StopButton(button);
    }
    context_.session.AppendUndoEntry(button);
    touched_.push_back(button);
}

ButtonRecord& RecordEdit::Record(int button) {
    return context_.session.Record(button);
}

void RecordEdit::Finish(bool cancelled) {
    if (finished_) {
        return;
    }
    finished_ = true;
    context_.session.EndChange(cancelled);
    for (int button : touched_) {
        context_.grid.DrawButton(button);
    }
    context_.grid.CheckCue();
    context_.grid.RefreshStatusLine();
}

ButtonRecord NewButtonRecord(const Registry& registry) {
    ButtonRecord record{};
    const uint32_t colour = registry.Dword(settings::kButtonColour);
    const uint32_t output = registry.Dword(settings::kButtonOutput);
    record.status = STATUS_ASSIGNED;
    record.volume = 100;
    record.pan = 100;
    record.varispeed = 100;
    record.colour = colour & 0xFFFFFF;
    record.output = static_cast<uint8_t>(output <= 0xFF ? output : 0);
    return record;
}

}  // namespace tamberline
