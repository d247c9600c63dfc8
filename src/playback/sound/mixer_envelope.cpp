// The mixer's side of every voice's loudness: the gain envelope carried
// across blocks, and the changes that wait for a fade to reach silence
// (pause, stop, seek, underrun), the fade back in, the skip after an
// underrun and the group starts.

#include <algorithm>

#include "playback/sound/mixer.h"
#include "playback/sound/voice_ring.h"

namespace tamberline::sound {

float Mixer::AudibleVolume(float volume) noexcept {
    return volume <= kSilentVolume ? 0.0f : volume;
}

bool Mixer::Audible(const Voice& voice) const noexcept {
    return voice.active && !voice.paused && !voice.ended && voice.started && !voice.starving &&
           (voice.gain > 0.0f || voice.rampTarget > 0.0f);
}

void Mixer::FadeTo(Voice& voice, float target, int frames) noexcept {
    voice.rampTarget = target;
    if (frames <= 0) {
        voice.gain = target;
        voice.rampLeft = 0;
        return;
    }
    voice.rampLeft = frames;
    voice.rampStep = (target - voice.gain) / static_cast<float>(frames);
}

bool Mixer::FadingOut(const Voice& voice) noexcept {
    return voice.pausePending || voice.stopPending || voice.seekPending || voice.underrunPending;
}

// Starts the fade before a pending change, or shortens one under way.
void Mixer::FadeOut(Voice& voice) noexcept {
    if (voice.rampTarget != 0.0f || voice.rampLeft > declickFrames_) {
        FadeTo(voice, 0.0f, voice.gain == 0.0f ? 0 : declickFrames_);
    }
}

void Mixer::Pause(Voice& voice, bool paused) noexcept {
    if (paused) {
        if (voice.paused || voice.stopPending) {
            return;
        }
        if (Audible(voice)) {
            FadeOut(voice);
            voice.pausePending = true;
            return;
        }
        voice.paused = true;
        return;
    }
    if (voice.pausePending) {
        // Taken back before the fade ended.
        voice.pausePending = false;
        if (!FadingOut(voice)) {
            FadeTo(voice, AudibleVolume(voice.volume), declickFrames_);
        }
        return;
    }
    if (!voice.paused) {
        return;
    }
    voice.paused = false;
    if (voice.heard) {
        voice.gain = 0.0f;
        FadeTo(voice, AudibleVolume(voice.volume), declickFrames_);
    }
}

void Mixer::Seek(Voice& voice, uint32_t generation) noexcept {
    voice.pendingGeneration = generation;
    if (Audible(voice)) {
        FadeOut(voice);
        voice.seekPending = true;
        return;
    }
    voice.generation = generation;
    voice.starving = false;
    voice.underrunPending = false;
    voice.started = false;
    ResetPlayback(voice);
    if (voice.heard && !voice.paused) {
        voice.gain = 0.0f;
        FadeTo(voice, AudibleVolume(voice.volume), declickFrames_);
    }
}

void Mixer::CheckStop(int index) noexcept {
    Voice& voice = voices_[static_cast<size_t>(index)];
    VoiceRing& ring = rings_[index];
    if (!voice.active) {
        return;
    }
    if (!voice.stopPending && ring.stopSerial.load(std::memory_order_acquire) == voice.serial) {
        voice.stopPending = true;
        FadeOut(voice);
    }
    // Silent already (paused, ended, starved, not started): at once.
    if (voice.stopPending && !Audible(voice)) {
        Finish(voice, ring);
    }
}

// The fade before the pending changes has reached silence: they take effect.
void Mixer::Finish(Voice& voice, VoiceRing& ring) noexcept {
    voice.gain = voice.rampTarget = 0.0f;
    voice.rampLeft = 0;
    if (voice.stopPending) {
        voice.active = false;
        voice.group = 0;
        ring.mixerIdle.store(true, std::memory_order_release);
        return;
    }
    if (voice.seekPending) {
        voice.generation = voice.pendingGeneration;
        voice.started = false;
        ResetPlayback(voice);
    } else if (voice.underrunPending) {
        voice.starving = true;
        voice.resumeAt = voice.taken - std::min<uint64_t>(voice.taken, 3);
        voice.owed = voice.phase;
        ring.underruns.fetch_add(1, std::memory_order_relaxed);
    }
    voice.paused = voice.paused || voice.pausePending;
    voice.seekPending = voice.underrunPending = voice.pausePending = false;
    if (!voice.paused && !voice.starving) {
        FadeTo(voice, AudibleVolume(voice.volume), declickFrames_);
    }
}

void Mixer::StartGroups() noexcept {
    for (size_t g = 0; g < groupsToStart_.size();) {
        const uint32_t group = groupsToStart_[g];
        bool ready = true;
        for (size_t i = 0; i < voices_.size() && ready; ++i) {
            Voice& voice = voices_[i];
            ready = !voice.active || voice.group != group || Primed(voice, rings_[i]);
        }
        if (!ready) {
            ++g;
            continue;
        }
        for (Voice& voice : voices_) {
            if (voice.active && voice.group == group) {
                voice.group = 0;
                Pause(voice, false);
            }
        }
        groupsToStart_.erase(groupsToStart_.begin() + static_cast<ptrdiff_t>(g));
    }
}

// Input frames that `frames` output frames take from x0 on, with the window
// and the frames a fade-out needs after them.
uint64_t Mixer::FramesAhead(const Voice& voice, int frames) const noexcept {
    const uint64_t fade = (static_cast<uint64_t>(declickFrames_) * voice.step) >> 32;
    return ((voice.phase + static_cast<uint64_t>(frames) * voice.step) >> 32) + kWindow + fade;
}

bool Mixer::Primed(Voice& voice, VoiceRing& ring) noexcept {
    bool atEnd = false;
    const uint64_t wanted = FramesAhead(voice, kBlockFrames);
    return Readable(voice, ring, wanted, atEnd) >= wanted || atEnd;
}

void Mixer::Skip(Voice& voice, VoiceRing& ring, uint64_t count) noexcept {
    const uint64_t marks = ring.marksWritten.load(std::memory_order_acquire);
    voice.taken += count;
    while (voice.runMark + 1 < marks && ring.Mark(voice.runMark + 1).ringStart <= voice.taken) {
        ++voice.runMark;
    }
    ring.taken.store(voice.taken, std::memory_order_release);
}

void Mixer::End(Voice& voice, VoiceRing& ring) noexcept {
    voice.ended = true;
    ring.endedGeneration.store(voice.generation, std::memory_order_release);
}

// Starved: drops what would have been played meanwhile as it arrives, and
// plays on (fading in) from where the voice would be had nothing stalled.
bool Mixer::Recover(Voice& voice, VoiceRing& ring, int frames) noexcept {
    const uint64_t due = voice.resumeAt + (voice.owed >> 32);
    bool atEnd = false;
    if (voice.taken < due) {
        const uint64_t n = Readable(voice, ring, due - voice.taken, atEnd);
        Skip(voice, ring, n);
    }
    if (voice.taken >= due) {
        voice.phase = voice.owed & 0xFFFFFFFFu;
        const uint64_t wanted = FramesAhead(voice, frames);
        if (Readable(voice, ring, wanted, atEnd) >= wanted || atEnd) {
            voice.starving = false;
            const uint64_t phase = voice.phase;
            ResetPlayback(voice);
            voice.phase = phase;
            voice.gain = 0.0f;
            FadeTo(voice, AudibleVolume(voice.volume), declickFrames_);
            return true;
        }
    } else if (atEnd) {
        End(voice, ring);  // the rest of the sound was due while it starved
        return false;
    }
    voice.owed += static_cast<uint64_t>(frames) * voice.step;
    return false;
}

void Mixer::ApplyGain(Voice& voice, float* out, int produced) noexcept {
    const size_t channels = static_cast<size_t>(voice.channels);
    int k = 0;
    for (; k < produced && voice.rampLeft > 0; ++k) {
        voice.gain += voice.rampStep;
        if (--voice.rampLeft == 0) {
            voice.gain = voice.rampTarget;
        }
        for (size_t c = 0; c < channels; ++c) {
            out[static_cast<size_t>(k) * channels + c] *= voice.gain;
        }
    }
    // A ramp that ends inside the block: the rest of it plays at the gain
    // reached, not at full level (the caller adds no gain to a ramped block).
    if (k > 0) {
        for (size_t i = static_cast<size_t>(k) * channels;
             i < static_cast<size_t>(produced) * channels; ++i) {
            out[i] *= voice.gain;
        }
    }
}

}  // namespace tamberline::sound
