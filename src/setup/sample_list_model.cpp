#include "setup/sample_list_model.h"

#include <cstdio>

#include "base/one_line_text.h"
#include "setup/setup_texts.h"
#include "triggers/key_triggers.h"

namespace tamberline {

namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Printed(const char* format, int a, int b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

SampleListContent SessionTriggerList(const RecordArray& records) {
    SampleListContent list;
    list.mode = SampleListMode::kSessionTriggers;
    list.title = "Session triggers.";
    list.columns = {{"Button", 56}, {"Trigger", 150}, {"Caption", -1}};
    for (int k = 0; k < kButtonCount; ++k) {
        const ButtonRecord& r = records[static_cast<size_t>(k)];
        if (!IsAssigned(r)) {
            continue;
        }
        std::vector<std::string> triggers;
        if (const std::string key = Trimmed(KeyName(r.triggerKey)); !key.empty()) {
            triggers.push_back(key);
        }
        if (r.midiNote != 0) {
            triggers.push_back(r.midiChannel == 0
                                   ? Printed("Midi note %d All channels", r.midiNote, 0)
                                   : Printed("Midi note %d Channel %d", r.midiNote, r.midiChannel));
        }
        if (r.gameTrigger >= 1 && r.gameTrigger <= kGameSticks * kGameButtonsPerStick) {
            triggers.push_back(Printed("Stick%d btn%d",
                                       (r.gameTrigger - 1) / kGameButtonsPerStick + 1,
                                       (r.gameTrigger - 1) % kGameButtonsPerStick + 1));
        }
        if (r.startTimeOn) {
            triggers.push_back(TimecodeText(r.startTime));
        }
        for (const std::string& trigger : triggers) {
            list.rows.push_back({" " + std::to_string(k + 1), trigger, OneLineText(CaptionOf(r))});
        }
    }
    return list;
}

SampleListContent PlaylistDataList(const std::vector<WavReportRow>& report, bool found) {
    SampleListContent list;
    list.mode = SampleListMode::kPlaylistData;
    list.title = "Playlist data.";
    list.columns = {{"Label", 50}, {"Desc.", -1},    {"Start", 80},
                    {"End", 80},   {"Duration", 80}, {"Repeat", 50}};
    if (!found) {
        list.rows.push_back({"", kNoDataFound, "", "", "", ""});
        return list;
    }
    for (const WavReportRow& row : report) {
        list.rows.push_back({row.label, row.note, row.start, row.end, row.length, row.plays});
    }
    return list;
}

std::string SonglistLengthText(int64_t ms) {
    const int64_t tenths = ms / 100;
    const int64_t seconds = tenths / 10;
    char text[64];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%01lld",
                      static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60),
                      static_cast<long long>(seconds % 60), static_cast<long long>(tenths % 10));
    } else {
        std::snprintf(text, sizeof text, "%02lld:%02lld.%01lld",
                      static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60),
                      static_cast<long long>(tenths % 10));
    }
    return text;
}

SampleListContent SonglistList(const std::string& path, const std::vector<std::string>& entries,
                               const std::vector<int32_t>& lengthsMs) {
    SampleListContent list;
    list.mode = SampleListMode::kSonglist;
    list.title = "SongList - " + path;
    list.actionText = "Edit";
    list.columns = {{"Item", 50}, {"File.", -1}, {"Duration", 80, true}};
    if (entries.empty()) {
        list.rows.push_back({"", kNoDataFound, ""});
        return list;
    }
    int64_t total = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
        const int32_t length = k < lengthsMs.size() ? lengthsMs[k] : 0;
        total += length > 0 ? length : 0;
        list.rows.push_back({std::to_string(k + 1) + ".", entries[k],
                             length > 0 ? SonglistLengthText(length) : "Not Found"});
    }
    list.rows.push_back({"", "", SonglistLengthText(total)});
    return list;
}

}  // namespace tamberline
