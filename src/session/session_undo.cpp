#include "session/session.h"

#include "session/session_host.h"
#include "session/session_paths.h"

namespace tamberline {

namespace {

bool StartTimeDiffers(const ButtonRecord& a, const ButtonRecord& b) {
    return a.startTime != b.startTime || a.startTimeOn != b.startTimeOn;
}

}  // namespace

void Session::BeginChange() {
    changeStart_ = journal_.Length();
}

void Session::AppendUndoEntry(int button) {
    if (!changeStart_ || button < 0 || button >= kButtonCount) {
        return;
    }
    // The group count is set when the step closes, to the entries really
    // recorded, so an action that records fewer buttons than it planned
    // can never make an undo reach into the step before.
    journal_.Append({records_->at(static_cast<size_t>(button)), static_cast<uint32_t>(button), 0});
}

void Session::EndChange(bool cancelled) {
    if (!changeStart_) {
        return;
    }
    const size_t start = *changeStart_;
    changeStart_.reset();
    journal_.CloseStep(start);
    const std::vector<UndoEntry> step = journal_.EntriesFrom(start);
    SessionHost& host = services_.host;
    bool kept = false;
    bool timecodeChanged = false;
    for (const UndoEntry& entry : step) {
        const ButtonRecord& now = records_->at(entry.button);
        timecodeChanged = timecodeChanged || StartTimeDiffers(entry.record, now);
        kept = kept || RecordsDiffer(entry.record, now);
    }
    if (cancelled || !kept) {
        journal_.Truncate(start);
    } else {
        for (const UndoEntry& entry : step) {
            if (RecordsDiffer(entry.record, records_->at(entry.button))) {
                host.MarkForReload(static_cast<int>(entry.button));
                host.RepaintButton(static_cast<int>(entry.button));
            }
        }
        WriteWorkingCopy();
    }
    RefreshModifiedMark();
    if (timecodeChanged) {
        host.RebuildTimecodeTable();
    }
}

void Session::Undo() {
    if (journal_.IsEmpty()) {
        return;
    }
    SessionHost& host = services_.host;
    host.SetWaitCursor(true);
    std::vector<UndoEntry> step;
    if (!journal_.ReadLastStep(step)) {
        // A damaged journal cannot be trusted for any step.
        EmptyJournal();
        RemoveWorkingCopy();
        host.SetWaitCursor(false);
        return;
    }
    bool timecodeChanged = false;
    // Newest first: when one action touched a button twice, its first entry
    // holds the state before the action and must be the one that stays.
    for (auto it = step.rbegin(); it != step.rend(); ++it) {
        const int button = static_cast<int>(it->button);
        ButtonRecord& record = records_->at(it->button);
        timecodeChanged = timecodeChanged || record.startTime != it->record.startTime;
        if (IsAssigned(record) && host.IsPlayingOrPaused(button)) {
            host.StopButton(button);
        }
        record = it->record;
        // The journal may come from a working copy on disk.
        if (IsAssigned(record)) {
            NormaliseFields(record);
        } else {
            record = ButtonRecord{};
        }
        host.MarkForReload(button);
        host.RepaintButton(button);
    }
    journal_.Truncate(journal_.Length() - step.size() * kUndoEntrySize);
    RefreshModifiedMark();
    if (timecodeChanged) {
        host.RebuildTimecodeTable();
    }
    host.ReselectCurrentButton();
    if (journal_.IsEmpty()) {
        RemoveWorkingCopy();
        if (host.IsLinkedSlave()) {
            host.TellLinkSessionChanged();
        }
    } else {
        // Keep the working copy in step, so a crash resumes after the undo
        // (it also tells the link).
        WriteWorkingCopy();
    }
    host.SetWaitCursor(false);
}

std::vector<int> Session::FollowRenamedOutputs(const std::vector<int>& rows) {
    std::vector<int> moved;
    for (int button = 0; button < kButtonCount; ++button) {
        ButtonRecord& record = Record(button);
        const int row = FollowedOutput(record, rows);
        if (row != record.output) {
            record.output = static_cast<uint8_t>(row);
            moved.push_back(button);
        }
    }
    // An undo after the rename must not put a button on whatever output
    // now sorts where its own used to.
    journal_.RemapOutputs(rows);
    outputsRenamed_ = true;
    return moved;
}

}  // namespace tamberline
