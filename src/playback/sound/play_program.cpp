#include "playback/sound/play_program.h"

#include <algorithm>

#include "playback/sound/sound_source.h"

namespace tamberline::sound {

namespace {

uint64_t EntryLength(const PlayRules& rules, int entry) {
    const auto& source = rules.entries[static_cast<size_t>(entry)].source;
    return source ? source->PlayableFrames() : 0;
}

bool Repeating(const PlayRules& rules, const PlayCursor& cursor) {
    return rules.loop == LoopMode::kNormal && cursor.loopsLeft != 0;
}

void CountRepeat(PlayCursor& cursor) {
    if (cursor.loopsLeft > 0) {
        --cursor.loopsLeft;
    }
}

// A plain sound: up to the loop end while repeating, then to its end. A
// cursor put past the loop end plays to the end before it wraps.
Stretch PlainStretch(const PlayRules& rules, PlayCursor& cursor) {
    const uint64_t length = EntryLength(rules, 0);
    const uint64_t loopEnd = std::min(rules.loopEnd, length);
    const bool region = rules.loopStart < loopEnd;
    for (int decisions = 0; decisions < 2; ++decisions) {
        const bool repeating = region && Repeating(rules, cursor);
        const uint64_t end = repeating && cursor.frame <= loopEnd ? loopEnd : length;
        if (cursor.frame < end) {
            return {0, cursor.frame, end - cursor.frame};
        }
        if (!repeating) {
            break;
        }
        cursor.frame = rules.loopStart;
        CountRepeat(cursor);
    }
    cursor.ended = true;
    return {};
}

// A sentence: each entry whole, in order; a repeat starts again at the first.
Stretch SentenceStretch(const PlayRules& rules, PlayCursor& cursor) {
    const int count = static_cast<int>(rules.entries.size());
    // Bounded so that a sentence of empty entries cannot repeat for ever.
    for (int steps = 0; steps <= 2 * count + 1; ++steps) {
        if (cursor.entry < count) {
            const uint64_t length = EntryLength(rules, cursor.entry);
            if (cursor.frame < length) {
                return {cursor.entry, cursor.frame, length - cursor.frame};
            }
            ++cursor.entry;
            cursor.frame = 0;
            continue;
        }
        if (!Repeating(rules, cursor)) {
            break;
        }
        cursor.entry = 0;
        cursor.frame = 0;
        CountRepeat(cursor);
    }
    cursor.ended = true;
    return {};
}

}  // namespace

Stretch NextStretch(const PlayRules& rules, PlayCursor& cursor) {
    if (cursor.ended || rules.entries.empty()) {
        cursor.ended = true;
        return {};
    }
    return rules.sentence ? SentenceStretch(rules, cursor) : PlainStretch(rules, cursor);
}

}  // namespace tamberline::sound
