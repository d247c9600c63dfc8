#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "playback/sound/sound_types.h"

namespace tamberline::sound {

class SoundSource;

// One sound in the order of play; a sentence lists several, a plain sound one.
struct PlayEntry {
    std::shared_ptr<SoundSource> source;  // null: an empty sub-sound slot, skipped
    int slot = 0;
};

// What a voice plays and how it repeats. A plain sound repeats between its
// loop points; a sentence repeats whole.
struct PlayRules {
    std::vector<PlayEntry> entries;
    bool sentence = false;
    LoopMode loop = LoopMode::kOff;
    uint64_t loopStart = 0;
    uint64_t loopEnd = 0;  // exclusive
    int loopCount = -1;    // repeats left to make at the start; -1 for ever
};

// A place in the play order. `frame` may sit on a boundary that has not been
// decided yet (end of an entry, loop end): NextStretch decides it under the
// rules in force then.
struct PlayCursor {
    int entry = 0;
    uint64_t frame = 0;
    int loopsLeft = -1;
    bool ended = false;
};

// Linear content: `frames` frames of entry `entry` from `frame` on.
struct Stretch {
    int entry = 0;
    uint64_t frame = 0;
    uint64_t frames = 0;
};

// Settles any boundary `cursor` sits on (wrap, next entry, end) and returns
// the stretch that follows, up to the next boundary. When nothing follows
// the cursor is marked ended and the stretch is empty. Lengths are the
// sources' playable frames, so a sound that turned out shorter than it
// declared ends where its data ends.
Stretch NextStretch(const PlayRules& rules, PlayCursor& cursor);

}  // namespace tamberline::sound
