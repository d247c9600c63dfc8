// The undo journal of a working copy from disk, walked back step by step
// as Undo would, whatever its bytes claim. (The records before it are a
// fixed-size image; their decoding is the same as an entry's record.)
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "session/button_record.h"
#include "session/undo_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tamberline;
    static RecordArray records;
    UndoJournal journal;
    journal.Assign(std::span<const uint8_t>(data, size));
    std::vector<UndoEntry> step;
    while (journal.ReadLastStep(step)) {
        for (const UndoEntry& entry : step) {
            records[entry.button] = entry.record;
        }
        journal.Truncate(journal.Length() - step.size() * kUndoEntrySize);
    }
    return 0;
}
