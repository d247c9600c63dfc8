#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/button_record.h"
#include "songlist/wav_segments.h"

namespace tamberline {

// The modes of the sample list dialog ("Sample File Error."); the lost and
// edited samples' list is the first mode.
enum class SampleListMode {
    kLostSamples = 1,
    kSessionTriggers = 2,
    kPlaylistData = 3,
    kSonglist = 4
};

struct SampleListColumn {
    std::string title;
    int width = -1;  // -1: the rest of the width
    bool rightAligned = false;
};

// What the dialog shows in one of its list-view modes.
struct SampleListContent {
    SampleListMode mode = SampleListMode::kSessionTriggers;
    std::string title;
    std::vector<SampleListColumn> columns;
    std::vector<std::vector<std::string>> rows;
    // The button beside "Close" ("Edit" for a songlist), hidden when empty.
    std::string actionText;
};

inline constexpr char kNoDataFound[] = "[No data found]";

// "Session triggers.": one row per trigger of every assigned button, in
// button order: key, MIDI, game port, start time.
SampleListContent SessionTriggerList(const RecordArray& records);
// "Playlist data.": the report rows of a WAV file's play list; `found`
// false when the file has none.
SampleListContent PlaylistDataList(const std::vector<WavReportRow>& report, bool found);
// "SongList - <path>": one row per entry with its length (0: "Not Found"),
// then the total.
SampleListContent SonglistList(const std::string& path, const std::vector<std::string>& entries,
                               const std::vector<int32_t>& lengthsMs);

// A songlist length in tenths of a second: "%02d:%02d.%01d", or
// "%02d:%02d:%02d.%01d" from one hour on.
std::string SonglistLengthText(int64_t ms);

}  // namespace tamberline
