#include "session/undo_journal.h"

#include <algorithm>

#include "base/little_endian.h"

namespace tamberline {

void UndoJournal::Append(const UndoEntry& entry) {
    const size_t at = bytes_.size();
    bytes_.resize(at + kUndoEntrySize, 0);
    uint8_t* p = bytes_.data() + at;
    EncodeRecord(entry.record, std::span<uint8_t, kRecordSize>(p, kRecordSize));
    le::PutU32(p + kUndoButtonOffset, entry.button);
    le::PutU32(p + kUndoGroupCountOffset, entry.groupCount);
}

void UndoJournal::Truncate(size_t length) {
    if (length < bytes_.size()) {
        bytes_.resize(length - length % kUndoEntrySize);
    }
}

void UndoJournal::CloseStep(size_t from) {
    if (from >= bytes_.size()) {
        return;
    }
    const auto count = static_cast<uint32_t>((bytes_.size() - from) / kUndoEntrySize);
    for (size_t at = from; at < bytes_.size(); at += kUndoEntrySize) {
        le::PutU32(bytes_.data() + at + kUndoGroupCountOffset, count);
    }
}

UndoEntry UndoJournal::EntryAt(size_t offset) const {
    const uint8_t* p = bytes_.data() + offset;
    UndoEntry entry;
    entry.record = DecodeRecord(std::span<const uint8_t, kRecordSize>(p, kRecordSize));
    entry.button = le::GetU32(p + kUndoButtonOffset);
    entry.groupCount = le::GetU32(p + kUndoGroupCountOffset);
    return entry;
}

std::vector<UndoEntry> UndoJournal::EntriesFrom(size_t from) const {
    std::vector<UndoEntry> entries;
    for (size_t at = from; at + kUndoEntrySize <= bytes_.size(); at += kUndoEntrySize) {
        entries.push_back(EntryAt(at));
    }
    return entries;
}

bool UndoJournal::ReadLastStep(std::vector<UndoEntry>& step) const {
    step.clear();
    if (bytes_.empty()) {
        return false;
    }
    const uint32_t count = EntryAt(bytes_.size() - kUndoEntrySize).groupCount;
    const size_t entries = bytes_.size() / kUndoEntrySize;
    if (count == 0 || count > entries) {
        return false;
    }
    step = EntriesFrom(bytes_.size() - count * kUndoEntrySize);
    const bool consistent = std::all_of(step.begin(), step.end(), [count](const UndoEntry& e) {
        return e.groupCount == count && e.button < static_cast<uint32_t>(kButtonCount);
    });
    if (!consistent) {
        step.clear();
    }
    return consistent;
}

void UndoJournal::Assign(std::span<const uint8_t> bytes) {
    const size_t whole = bytes.size() - bytes.size() % kUndoEntrySize;
    bytes_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(whole));
}

}  // namespace tamberline
