#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

// One entry: a record as it was before a change, its button and the number
// of entries of the step it belongs to; 8 zero bytes pad it to 608.
inline constexpr size_t kUndoEntrySize = 608;
inline constexpr size_t kUndoButtonOffset = 592;
inline constexpr size_t kUndoGroupCountOffset = 596;

// The most journal a working copy carries, written or read; the oldest
// steps give way to new ones beyond it.
inline constexpr size_t kMaxJournalBytes = size_t{64} << 20;

struct UndoEntry {
    ButtonRecord record{};
    uint32_t button = 0;
    uint32_t groupCount = 0;
};

// The stack of undo steps, as the bytes the working copy carries after the
// records. Lengths are in bytes, always whole entries.
class UndoJournal {
public:
    size_t Length() const { return bytes_.size(); }
    bool IsEmpty() const { return bytes_.empty(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

    void Append(const UndoEntry& entry);
    void Truncate(size_t length);
    void Clear() {
        bytes_.clear();
        unchangedUpTo_ = 0;
    }

    // Gives every entry from `from` to the end the group count of the step
    // they form, so the count always matches what was really recorded.
    void CloseStep(size_t from);

    // The entries from `from` to the end, oldest first.
    std::vector<UndoEntry> EntriesFrom(size_t from) const;

    // The last step, oldest entry first. False when the journal is damaged:
    // a group count of 0, one reaching past the start, entries of the step
    // disagreeing on it, or a button outside 0..335.
    bool ReadLastStep(std::vector<UndoEntry>& step) const;

    // An output was renamed and the outputs sorted afresh: the assigned
    // entries' `output` follows its output to its new row (`rows` maps old
    // row to new; rows past it, or mapped below 0, stay).
    void RemapOutputs(const std::vector<int>& rows);

    // Takes the journal part of a working copy; a trailing partial entry
    // is dropped, and so are entries before the oldest whole step, when
    // more than kMaxJournalBytes are given, the oldest steps beyond it.
    void Assign(std::span<const uint8_t> bytes);

    // Once longer than `maxBytes`, drops whole steps from the oldest on
    // until at most three quarters of it remain (so that a journal at the
    // limit is not cut at every edit).
    void DropOldestSteps(size_t maxBytes = kMaxJournalBytes);

    // The bytes before this offset are as they were at the last
    // MarkWritten: a writer of the journal need write only from here on.
    size_t UnchangedUpTo() const { return std::min(unchangedUpTo_, bytes_.size()); }
    void MarkWritten() { unchangedUpTo_ = bytes_.size(); }

private:
    UndoEntry EntryAt(size_t offset) const;

    std::vector<uint8_t> bytes_;
    size_t unchangedUpTo_ = 0;
};

// The row an assigned record's output moved to when the outputs were
// sorted afresh after a rename (`rows`: old row to new, below 0 for none);
// any other record keeps its row.
int FollowedOutput(const ButtonRecord& record, const std::vector<int>& rows);

// Where the whole steps at the end of a journal image begin: walking back
// by the group counts of the last entries, up to the first entry that
// breaks the chain (a count of 0, one reaching past the start or one the
// step's entries disagree on).
size_t StartOfWholeSteps(std::span<const uint8_t> bytes);

}  // namespace tamberline
