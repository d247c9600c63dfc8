#include "app/songlist_durations.h"

#include "app/console_grid.h"
#include "app/record_edit.h"
#include "app/run_control.h"
#include "base/path_compare.h"
#include "session/session.h"
#include "songlist/playlist_reader.h"

namespace tamberline {

std::vector<int> ButtonsUsingSonglist(const RecordArray& records, const std::string& path) {
    std::vector<int> buttons;
    for (int button = 0; button < kButtonCount; ++button) {
        const ButtonRecord& record = records[static_cast<size_t>(button)];
        if (IsAssigned(record) && SamePathIgnoringCase(PathOf(record), path)) {
            buttons.push_back(button);
        }
    }
    return buttons;
}

void ApplySonglistLength(const EditContext& context, const std::string& path, int32_t lengthMs) {
    for (int button : ButtonsUsingSonglist(context.session.records(), path)) {
        if (!context.run.State(button).IsIdle()) {
            continue;
        }
        context.session.Record(button).durationMs = static_cast<uint32_t>(lengthMs);
        // Run control takes the new length as the button's current one.
        context.run.MarkForReload(button);
        context.run.SetPlayedMs(button, 0);
        context.grid.DrawButton(button);
    }
}

SonglistDurations::SonglistDurations(std::function<const RecordArray&()> records,
                                     MediaLengthFn measure, Apply apply)
    : records_(std::move(records)), measure_(std::move(measure)), apply_(std::move(apply)) {}

void SonglistDurations::Saved(const std::string& path, const SonglistEntries::Lengths& known) {
    if (ButtonsUsingSonglist(records_(), path).empty()) {
        return;
    }
    work_.Post([this, path, known, measure = measure_]() -> WorkQueue::Completion {
        std::vector<std::string> entries;
        ReadPlaylist(path, entries, true);
        const int32_t length = PlaylistLength(entries, [&](const std::string& entry) {
            const auto found = known.find(entry);
            return found != known.end() ? found->second : measure(entry);
        });
        return [this, path, length] { apply_(path, length); };
    });
}

}  // namespace tamberline
