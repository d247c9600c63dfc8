#pragma once

#include <string>

#include "session/button_record.h"

namespace tamberline::testing {

// The two versions the save-loop helper writes in turn: every button
// assigned, captions and paths made of the one letter.
inline void FillVersion(RecordArray& records, char letter) {
    for (size_t i = 0; i < records.size(); ++i) {
        ButtonRecord& r = records[i];
        r = ButtonRecord{};
        SetPath(r, "/samples/" + std::string(200, letter) + ".wav");
        SetCaption(r, std::string(255, letter));
        r.status = STATUS_ASSIGNED;
        r.volume = 100;
        r.pan = 100;
        r.varispeed = 100;
        r.durationMs = static_cast<uint32_t>(i) * 1000 + static_cast<uint32_t>(letter);
    }
}

// Entries in the helper's working copy: one step over every button.
inline constexpr size_t kSaveLoopJournalBytes = kButtonCount * 608;

}  // namespace tamberline::testing
