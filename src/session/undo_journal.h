#pragma once

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
    void Clear() { bytes_.clear(); }

    // Gives every entry from `from` to the end the group count of the step
    // they form, so the count always matches what was really recorded.
    void CloseStep(size_t from);

    // The entries from `from` to the end, oldest first.
    std::vector<UndoEntry> EntriesFrom(size_t from) const;

    // The last step, oldest entry first. False when the journal is damaged:
    // a group count of 0, one reaching past the start, entries of the step
    // disagreeing on it, or a button outside 0..335.
    bool ReadLastStep(std::vector<UndoEntry>& step) const;

    // Takes the journal part of a working copy; a trailing partial entry
    // is dropped.
    void Assign(std::span<const uint8_t> bytes);

  private:
    UndoEntry EntryAt(size_t offset) const;

    std::vector<uint8_t> bytes_;
};

}  // namespace tamberline
