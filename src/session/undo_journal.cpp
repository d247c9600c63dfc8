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
        unchangedUpTo_ = std::min(unchangedUpTo_, bytes_.size());
    }
}

void UndoJournal::CloseStep(size_t from) {
    if (from >= bytes_.size()) {
        return;
    }
    unchangedUpTo_ = std::min(unchangedUpTo_, from);
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

int FollowedOutput(const ButtonRecord& record, const std::vector<int>& rows) {
    if (!IsAssigned(record) || record.output >= rows.size() || rows[record.output] < 0) {
        return record.output;
    }
    return rows[record.output];
}

void UndoJournal::RemapOutputs(const std::vector<int>& rows) {
    for (size_t at = 0; at + kUndoEntrySize <= bytes_.size(); at += kUndoEntrySize) {
        ButtonRecord record = EntryAt(at).record;
        const int row = FollowedOutput(record, rows);
        if (row == record.output) {
            continue;
        }
        record.output = static_cast<uint8_t>(row);
        EncodeRecord(record, std::span<uint8_t, kRecordSize>(bytes_.data() + at, kRecordSize));
        unchangedUpTo_ = std::min(unchangedUpTo_, at);
    }
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
    bytes = bytes.first(bytes.size() - bytes.size() % kUndoEntrySize);
    if (bytes.size() > kMaxJournalBytes) {
        const size_t keep = kMaxJournalBytes - kMaxJournalBytes % kUndoEntrySize;
        bytes = bytes.last(keep);
        bytes = bytes.subspan(StartOfWholeSteps(bytes));
    }
    bytes_.assign(bytes.begin(), bytes.end());
    unchangedUpTo_ = 0;
}

void UndoJournal::DropOldestSteps(size_t maxBytes) {
    if (bytes_.size() <= maxBytes) {
        return;
    }
    const size_t target = maxBytes / 4 * 3;
    size_t from = 0;
    while (bytes_.size() - from > target) {
        const uint32_t count = le::GetU32(bytes_.data() + from + kUndoGroupCountOffset);
        // A count that makes no sense drops just its own entry.
        const size_t entries =
            bytes_.size() - from >= size_t{count} * kUndoEntrySize && count > 0 ? count : 1;
        from += entries * kUndoEntrySize;
    }
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(from));
    unchangedUpTo_ = 0;
}

size_t StartOfWholeSteps(std::span<const uint8_t> bytes) {
    size_t start = bytes.size() - bytes.size() % kUndoEntrySize;
    while (start >= kUndoEntrySize) {
        const uint32_t count =
            le::GetU32(bytes.data() + start - kUndoEntrySize + kUndoGroupCountOffset);
        if (count == 0 || size_t{count} > start / kUndoEntrySize) {
            break;
        }
        const size_t stepStart = start - size_t{count} * kUndoEntrySize;
        bool consistent = true;
        for (size_t at = stepStart; at < start; at += kUndoEntrySize) {
            consistent =
                consistent && le::GetU32(bytes.data() + at + kUndoGroupCountOffset) == count;
        }
        if (!consistent) {
            break;
        }
        start = stepStart;
    }
    return start;
}

}  // namespace tamberline
