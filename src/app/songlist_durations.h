#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/button_record.h"
#include "songlist/media_length.h"
#include "songlist/songlist_entries.h"
#include "songlist/work_queue.h"

namespace tamberline {

struct EditContext;

// The assigned buttons whose file is the songlist at `path` (compared
// without regard to case), lowest first.
std::vector<int> ButtonsUsingSonglist(const RecordArray& records, const std::string& path);

// A saved songlist measures `lengthMs`: every idle button bound to it gets
// that length and its run time starts again from 0. The length is run
// data, as a start writes it, so no undo step is made. A button that plays
// keeps playing; its next start measures the list anew anyway.
void ApplySonglistLength(const EditContext& context, const std::string& path, int32_t lengthMs);

// WM_SONGLIST_SAVED at the console: the saved list is read again and
// measured on a worker thread (the lengths the editor already knows are
// taken as they are), then applied on the GUI thread.
class SonglistDurations {
public:
    using Apply = std::function<void(const std::string& path, int32_t lengthMs)>;

    SonglistDurations(std::function<const RecordArray&()> records, MediaLengthFn measure,
                      Apply apply);

    void Saved(const std::string& path, const SonglistEntries::Lengths& known);
    // Saves still being measured.
    size_t Pending() const { return work_.Pending(); }

private:
    std::function<const RecordArray&()> records_;
    MediaLengthFn measure_;
    Apply apply_;
    WorkQueue work_;
};

}  // namespace tamberline
