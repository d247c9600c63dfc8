#include "app/session_listing.h"

#include <cstdio>

#include "base/one_line_text.h"
#include "setup/setup_texts.h"
#include "triggers/key_triggers.h"

namespace tamberline {

namespace {

std::string Tenths(int value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ", value / 10.0);
    return text;
}

std::string StopGroups(uint8_t flags) {
    std::string text;
    if (flags & kFlagStopAll) {
        text += "All ";
    }
    if (flags & kFlagStopGroup1) {
        text += " 1 ";
    }
    if (flags & kFlagStopGroup2) {
        text += " 2 ";
    }
    if (flags & kFlagStopGroup3) {
        text += " 3 ";
    }
    return text;
}

std::string MidiTrigger(const ButtonRecord& r) {
    if (r.midiNote == 0) {
        return {};
    }
    char text[48];
    if (r.midiChannel == 0) {
        std::snprintf(text, sizeof text, " Any: Note%d ", r.midiNote);
    } else {
        std::snprintf(text, sizeof text, " Ch%d Note%d ", r.midiChannel, r.midiNote);
    }
    return text;
}

std::string GameTrigger(const ButtonRecord& r) {
    if (r.gameTrigger < 1 || r.gameTrigger > kGameSticks * kGameButtonsPerStick) {
        return {};
    }
    char text[48];
    std::snprintf(text, sizeof text, "Stick %d, button %d",
                  (r.gameTrigger - 1) / kGameButtonsPerStick + 1,
                  (r.gameTrigger - 1) % kGameButtonsPerStick + 1);
    return text;
}

std::vector<std::string> ButtonRow(int button, const ButtonRecord& r) {
    std::vector<std::string> row{std::to_string(button + 1)};
    if (!IsAssigned(r)) {
        return row;
    }
    row.push_back(OneLineText(CaptionOf(r)));
    row.emplace_back(PathOf(r));
    row.push_back(std::to_string(r.output + 1));
    row.push_back(VolumeText(r.volume));
    row.push_back(PanText(r.pan));
    row.push_back(r.hasSegments ? "Playlist" : "");
    row.push_back(r.multiChannel ? "Surround" : "");
    row.push_back(r.varispeed == 100 ? "" : VarispeedText(r.varispeed));
    row.push_back(r.fadeIn != 0 ? Tenths(r.fadeIn) : "");
    row.push_back(r.fadeOut != 0 ? Tenths(r.fadeOut) : "");
    row.push_back(r.startGroup != 0 ? std::to_string(r.startGroup) : "");
    row.push_back(StopGroups(r.flags));
    row.push_back(MidiTrigger(r));
    row.push_back(r.triggerKey != 0 ? KeyName(r.triggerKey) : "");
    row.push_back(GameTrigger(r));
    row.push_back(r.startTimeOn ? TimecodeText(r.startTime) : "");
    row.push_back(r.loop ? "LOOP" : "");
    row.push_back((r.flags & kFlagPause) ? "Pause " : "");
    row.push_back((r.flags & kFlagPlayWhileTriggered) ? "Play while triggered" : "");
    row.push_back((r.flags & kFlagBuzzersAndBells) ? "Buzzers and Bells" : "");
    return row;
}

}  // namespace

std::vector<SampleListColumn> RunLogColumns() {
    return {{"Session", kLogSessionColumnWidth},
            {"File", 180},
            {"Caption", 180},
            {"Start", 70, true},
            {"Run time", 70, true}};
}

std::vector<SampleListColumn> SessionListingColumns() {
    std::vector<SampleListColumn> columns{{"Button", 54}, {"Caption", 150}, {"File", 250}};
    for (const char* title : {"Output", "Volume", "Pan", "Playlist", "Surround", "VariSpeed",
                              "Fade In", "Fade Out", "Start Group", "Stop Groups", "Midi Trigger",
                              "Key Trigger", "Game Trigger", "Time Trigger", "Loop", "Pause"}) {
        columns.push_back({title, 100});
    }
    columns.push_back({"Play while Triggered", 120});
    columns.push_back({"Buzzers and Bells", 100});
    return columns;
}

std::vector<std::vector<std::string>> SessionListingRows(const RecordArray& records) {
    std::vector<std::vector<std::string>> rows;
    for (int page = 0; page < kPageCount; ++page) {
        rows.push_back({"Page " + std::to_string(page + 1), "**********"});
        for (int k = 0; k < kButtonsPerPage; ++k) {
            const int button = page * kButtonsPerPage + k;
            rows.push_back(ButtonRow(button, records[static_cast<size_t>(button)]));
        }
        rows.emplace_back();
    }
    return rows;
}

std::string SessionListingTitle(const std::string& sessionPath, const RecordArray& records) {
    int assigned = 0;
    for (const ButtonRecord& record : records) {
        assigned += IsAssigned(record) ? 1 : 0;
    }
    return "Session  " + sessionPath + " - " + std::to_string(assigned) + " buttons loaded.";
}

}  // namespace tamberline
