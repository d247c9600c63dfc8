#include "playback/sound/mixer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#include "playback/sound/denormals.h"
#include "playback/sound/voice_ring.h"

namespace tamberline::sound {

namespace {

constexpr size_t kCommandCapacity = 4096;
constexpr size_t kMaxPendingGroups = 64;
constexpr uint64_t kOne = uint64_t{1} << 32;
constexpr uint64_t kNoPad = std::numeric_limits<uint64_t>::max();
constexpr size_t kMaxInputFrames =
    Mixer::kWindow + static_cast<size_t>(Mixer::kBlockFrames) * static_cast<size_t>(kMaxRateRatio) +
    2;

uint64_t StepFor(double ratio) {
    const double clamped = std::clamp(ratio, 1.0 / 4294967296.0, kMaxRateRatio);
    return static_cast<uint64_t>(clamped * 4294967296.0 + 0.5);
}

inline float CatmullRom(float xm1, float x0, float x1, float x2, float t) {
    const float c1 = 0.5f * (x1 - xm1);
    const float c2 = xm1 - 2.5f * x0 + 2.0f * x1 - 0.5f * x2;
    const float c3 = 0.5f * (x2 - xm1) + 1.5f * (x0 - x1);
    return ((c3 * t + c2) * t + c1) * t + x0;
}

std::array<float, kSpeakerCount> DefaultMix(int channels) {
    std::array<float, kSpeakerCount> levels{};
    if (channels > 2) {
        levels.fill(1.0f);
    } else {
        levels[0] = levels[1] = 1.0f;
    }
    return levels;
}

}  // namespace

Mixer::Mixer(VoiceRing* rings, int voiceCount)
    : rings_(rings),
      voices_(static_cast<size_t>(voiceCount)),
      commands_(kCommandCapacity),
      bus_(static_cast<size_t>(kBlockFrames) * kSpeakerCount),
      input_(kMaxInputFrames * kMaxSoundChannels),
      voiceOut_(static_cast<size_t>(kBlockFrames) * kMaxSoundChannels) {
    groupsToStart_.reserve(kMaxPendingGroups);
}

void Mixer::SetOutputRate(int rate) {
    declickFrames_ = std::max(1, static_cast<int>(rate * kDeclickSeconds + 0.5));
}

void Mixer::Service() noexcept {
    MixCommand command;
    while (commands_.Pop(command)) {
        Apply(command);
    }
    for (size_t i = 0; i < voices_.size(); ++i) {
        AnswerTrim(static_cast<int>(i));
        CheckStop(static_cast<int>(i));
        if (voices_[i].active) {
            DropStale(voices_[i], rings_[i]);
        }
    }
    StartGroups();
}

void Mixer::Process(float* out, int channels, int frames) noexcept {
    const DenormalsOff denormalsOff;
    Service();
    for (int done = 0; done < frames;) {
        const int n = std::min(kBlockFrames, frames - done);
        std::fill(bus_.begin(), bus_.begin() + n * kSpeakerCount, 0.0f);
        for (size_t i = 0; i < voices_.size(); ++i) {
            Voice& voice = voices_[i];
            if (voice.active && !voice.paused && !voice.ended) {
                Render(voice, rings_[i], n);
            }
        }
        // Past full scale a device that takes integers would wrap to the other
        // rail: clamp (a plain clip, never a limiter that pumps), and NaN,
        // which no clamp catches, becomes silence.
        float* dst = out + static_cast<ptrdiff_t>(done) * channels;
        for (int k = 0; k < n; ++k) {
            for (int c = 0; c < channels; ++c) {
                const float v = c < kSpeakerCount ? bus_[k * kSpeakerCount + c] : 0.0f;
                dst[k * channels + c] = v == v ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
            }
        }
        done += n;
    }
}

void Mixer::Apply(const MixCommand& command) noexcept {
    Voice& voice = voices_[command.voice];
    switch (command.kind) {
        case MixCommand::Kind::kStart:
            voice = Voice{};
            voice.active = true;
            voice.paused = command.paused;
            voice.generation = command.generation;
            voice.serial = command.serial;
            voice.channels = command.channels;
            voice.step = StepFor(command.ratio);
            voice.gain = voice.rampTarget = Mixer::AudibleVolume(voice.volume);
            SetSpeakerMix(voice, DefaultMix(voice.channels));
            break;
        case MixCommand::Kind::kPause:
            voice.group = 0;
            Pause(voice, command.paused);
            break;
        case MixCommand::Kind::kJoinGroup:
            if (voice.active && voice.paused) {
                voice.group = command.group;
            }
            break;
        case MixCommand::Kind::kStartGroup:
            if (groupsToStart_.size() < groupsToStart_.capacity()) {
                groupsToStart_.push_back(command.group);
            } else {
                // No room to wait: start it now rather than never.
                for (Voice& member : voices_) {
                    if (member.active && member.group == command.group) {
                        member.group = 0;
                        Pause(member, false);
                    }
                }
            }
            break;
        case MixCommand::Kind::kVolume:
            voice.volume = command.volume;
            if (voice.paused && !voice.heard) {
                // Not heard yet: it starts at this volume, its attack intact.
                voice.gain = voice.rampTarget = Mixer::AudibleVolume(voice.volume);
                voice.rampLeft = 0;
            } else if (!voice.paused && !FadingOut(voice) && !voice.starving) {
                FadeTo(voice, Mixer::AudibleVolume(voice.volume), declickFrames_);
            }
            break;
        case MixCommand::Kind::kFrequency: voice.step = StepFor(command.ratio); break;
        case MixCommand::Kind::kSpeakerMix: SetSpeakerMix(voice, command.levels); break;
        case MixCommand::Kind::kSpeakerLevels:
            for (int in = 0; in < voice.channels; ++in) {
                voice.matrix[static_cast<size_t>(in)][static_cast<size_t>(command.speaker)] =
                    in < command.count ? command.levels[static_cast<size_t>(in)] : 0.0f;
            }
            RebuildTaps(voice);
            break;
        case MixCommand::Kind::kSeek: Seek(voice, command.generation); break;
    }
}

void Mixer::ResetPlayback(Voice& voice) noexcept {
    voice.window.fill(0.0f);
    voice.primeLeft = 3;
    voice.padFrom = kWindow;
    voice.phase = 0;
}

void Mixer::SetSpeakerMix(Voice& voice, const std::array<float, kSpeakerCount>& levels) noexcept {
    for (auto& row : voice.matrix) {
        row.fill(0.0f);
    }
    // Mono feeds every speaker, stereo feeds the left and right of each
    // pair, more channels go one to one.
    for (int s = 0; s < kSpeakerCount; ++s) {
        int in = s;
        if (voice.channels == 1) {
            in = 0;
        } else if (voice.channels == 2) {
            in = s % 2;
        } else if (s >= voice.channels) {
            continue;
        }
        voice.matrix[static_cast<size_t>(in)][static_cast<size_t>(s)] =
            levels[static_cast<size_t>(s)];
    }
    RebuildTaps(voice);
}

void Mixer::RebuildTaps(Voice& voice) noexcept {
    voice.tapCount = 0;
    for (int in = 0; in < voice.channels; ++in) {
        for (int out = 0; out < kSpeakerCount; ++out) {
            const float level = voice.matrix[static_cast<size_t>(in)][static_cast<size_t>(out)];
            if (level != 0.0f) {
                voice.taps[static_cast<size_t>(voice.tapCount++)] = {in, out, level};
            }
        }
    }
}

void Mixer::AnswerTrim(int index) noexcept {
    VoiceRing& ring = rings_[index];
    const uint32_t asked = ring.trimAsked.load(std::memory_order_acquire);
    if (asked == ring.trimAnswered.load(std::memory_order_relaxed)) {
        return;
    }
    Voice& voice = voices_[static_cast<size_t>(index)];
    const uint64_t at = ring.trimAt.load(std::memory_order_relaxed);
    const bool cut = voice.active && at >= voice.taken;
    if (cut) {
        // The streamer is waiting for this answer and writes nothing meanwhile.
        uint64_t marks = ring.marksWritten.load(std::memory_order_relaxed);
        while (marks > voice.playMark && ring.Mark(marks - 1).ringStart >= at) {
            --marks;
        }
        ring.marksWritten.store(marks, std::memory_order_relaxed);
        ring.written.store(at, std::memory_order_relaxed);
        if (voice.runMark >= marks) {
            voice.runMark = marks > voice.playMark ? marks - 1 : marks;
        }
    }
    ring.trimDone.store(cut, std::memory_order_relaxed);
    ring.trimAnswered.store(asked, std::memory_order_release);
}

void Mixer::DropStale(Voice& voice, VoiceRing& ring) noexcept {
    for (;;) {
        const uint64_t written = ring.written.load(std::memory_order_acquire);
        const uint64_t marks = ring.marksWritten.load(std::memory_order_acquire);
        while (voice.runMark + 1 < marks && ring.Mark(voice.runMark + 1).ringStart <= voice.taken) {
            ++voice.runMark;
        }
        if (voice.runMark >= marks || ring.Mark(voice.runMark).generation >= voice.generation) {
            break;
        }
        const uint64_t end =
            voice.runMark + 1 < marks ? ring.Mark(voice.runMark + 1).ringStart : written;
        if (end <= voice.taken) {
            break;
        }
        voice.taken = end;
        ring.taken.store(end, std::memory_order_release);
    }
    if (voice.primeLeft == 3 && voice.playMark < voice.runMark) {
        // Nothing of this generation is heard yet: older marks can go.
        voice.playMark = voice.runMark;
        ring.marksFreed.store(voice.playMark, std::memory_order_release);
    }
}

uint64_t Mixer::Readable(Voice& voice, VoiceRing& ring, uint64_t limit, bool& atEnd) noexcept {
    atEnd = false;
    const uint64_t written = ring.written.load(std::memory_order_acquire);
    const uint64_t marks = ring.marksWritten.load(std::memory_order_acquire);
    uint64_t index = voice.taken;
    uint64_t m = voice.runMark;
    uint64_t count = 0;
    while (count < limit) {
        while (m + 1 < marks && ring.Mark(m + 1).ringStart <= index) {
            ++m;
        }
        if (m >= marks) {
            break;
        }
        const RunMark& mark = ring.Mark(m);
        if (mark.generation != voice.generation) {
            break;
        }
        if (mark.endOfStream) {
            atEnd = true;
            break;
        }
        const uint64_t end = m + 1 < marks ? ring.Mark(m + 1).ringStart : written;
        if (end <= index) {
            break;
        }
        const uint64_t n = std::min(end - index, limit - count);
        count += n;
        index += n;
    }
    return count;
}

void Mixer::Take(Voice& voice, VoiceRing& ring, float* out, uint64_t count) noexcept {
    const uint64_t marks = ring.marksWritten.load(std::memory_order_acquire);
    const size_t channels = static_cast<size_t>(voice.channels);
    while (count > 0) {
        while (voice.runMark + 1 < marks && ring.Mark(voice.runMark + 1).ringStart <= voice.taken) {
            ++voice.runMark;
        }
        const uint64_t piece = std::min(count, ring.capacity - (voice.taken & ring.frameMask));
        std::memcpy(out, ring.Frame(voice.taken), piece * channels * sizeof(float));
        out += piece * channels;
        voice.taken += piece;
        count -= piece;
    }
    while (voice.runMark + 1 < marks && ring.Mark(voice.runMark + 1).ringStart <= voice.taken) {
        ++voice.runMark;
    }
    ring.taken.store(voice.taken, std::memory_order_release);
}

bool Mixer::Prime(Voice& voice, VoiceRing& ring) noexcept {
    if (voice.primeLeft == 0) {
        return true;
    }
    bool atEnd = false;
    const uint64_t wanted = static_cast<uint64_t>(voice.primeLeft);
    const uint64_t n = Readable(voice, ring, wanted, atEnd);
    if (n < wanted && !atEnd) {
        return false;
    }
    const size_t channels = static_cast<size_t>(voice.channels);
    float* w = voice.window.data();
    for (uint64_t i = 0; i < wanted; ++i) {
        std::memmove(w, w + channels, 3 * channels * sizeof(float));
        if (i < n) {
            Take(voice, ring, w + 3 * channels, 1);
        } else {
            std::fill(w + 3 * channels, w + 4 * channels, 0.0f);
        }
        if (voice.padFrom < kWindow) {
            voice.padFrom = std::max(0, voice.padFrom - 1);
        } else if (i >= n) {
            voice.padFrom = kWindow - 1;
        }
    }
    voice.primeLeft = 0;
    return true;
}

void Mixer::Render(Voice& voice, VoiceRing& ring, int frames) noexcept {
    if (FadingOut(voice) && voice.rampLeft == 0 && voice.gain == 0.0f) {
        Finish(voice, ring);
        if (!voice.active || voice.paused) {
            return;
        }
    }
    if (voice.starving && !Recover(voice, ring, frames)) {
        return;
    }
    if (!voice.started) {
        if (!Primed(voice, ring)) {
            return;  // nothing decoded yet: hold, and play it once it is there
        }
        voice.started = true;
    }
    if (!Prime(voice, ring)) {
        return;
    }
    const size_t channels = static_cast<size_t>(voice.channels);
    const uint64_t fade = (static_cast<uint64_t>(declickFrames_) * voice.step) >> 32;
    uint64_t need = (voice.phase + static_cast<uint64_t>(frames) * voice.step) >> 32;
    bool atEnd = false;  // the end of the stream is within reach
    const uint64_t avail =
        voice.padFrom < kWindow ? 0 : Readable(voice, ring, need + fade + 1, atEnd);
    int outputs = frames;
    if (avail < need + fade + 1 && voice.padFrom == kWindow && !atEnd) {
        // An underrun is coming: fade out over the frames there are.
        const uint64_t limit = ((std::min(avail, need) + 1) << 32) - 1 - voice.phase;
        const int available =
            static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(frames), limit / voice.step));
        if (!voice.underrunPending || voice.rampLeft > available) {
            const bool fading = voice.rampLeft > 0 && voice.rampTarget == 0.0f;
            FadeTo(voice, 0.0f, std::min(available, fading ? voice.rampLeft : declickFrames_));
        }
        voice.underrunPending = true;
        outputs = available;
    }
    if (FadingOut(voice)) {
        outputs = std::min(outputs, voice.rampLeft);  // it takes effect at silence
    }
    need = (voice.phase + static_cast<uint64_t>(outputs) * voice.step) >> 32;
    const uint64_t real = std::min(avail, need);
    float* in = input_.data();
    std::memcpy(in, voice.window.data(), kWindow * channels * sizeof(float));
    Take(voice, ring, in + kWindow * channels, real);
    std::fill(in + (kWindow + real) * channels, in + (kWindow + need) * channels, 0.0f);
    const uint64_t padStart = voice.padFrom < kWindow  ? static_cast<uint64_t>(voice.padFrom)
                              : atEnd && avail <= need ? kWindow + avail
                                                       : kNoPad;

    float* out = voiceOut_.data();
    uint64_t pos = voice.phase;
    int produced = 0;
    if (voice.step == kOne && voice.phase == 0) {
        for (; produced < outputs && static_cast<uint64_t>(produced) + 1 < padStart; ++produced) {
            std::memcpy(out + static_cast<size_t>(produced) * channels,
                        in + static_cast<size_t>(produced + 1) * channels,
                        channels * sizeof(float));
        }
        pos = static_cast<uint64_t>(produced) << 32;
    } else {
        for (; produced < outputs; ++produced) {
            const uint64_t i = pos >> 32;
            if (i + 1 >= padStart) {
                break;
            }
            const float t = static_cast<float>(pos & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
            const float* x = in + i * channels;
            float* y = out + static_cast<size_t>(produced) * channels;
            for (size_t c = 0; c < channels; ++c) {
                y[c] =
                    CatmullRom(x[c], x[channels + c], x[2 * channels + c], x[3 * channels + c], t);
            }
            pos += voice.step;
        }
    }
    const bool ended = produced < outputs;

    if (produced > 0) {
        voice.heard = true;
    }
    const bool ramping = voice.rampLeft > 0;
    ApplyGain(voice, out, produced);
    const float constant = ramping ? 1.0f : voice.gain;
    if (constant != 0.0f) {
        for (int t = 0; t < voice.tapCount; ++t) {
            const Tap& tap = voice.taps[static_cast<size_t>(t)];
            const float level = tap.level * constant;
            const float* src = out + tap.in;
            float* dst = bus_.data() + tap.out;
            for (int k = 0; k < produced; ++k) {
                dst[k * kSpeakerCount] += src[static_cast<size_t>(k) * channels] * level;
            }
        }
    }

    if (ended) {
        End(voice, ring);
        return;
    }
    const uint64_t shifts = pos >> 32;
    std::memcpy(voice.window.data(), in + shifts * channels, kWindow * channels * sizeof(float));
    voice.phase = pos & 0xFFFFFFFFu;
    voice.padFrom =
        padStart == kNoPad
            ? kWindow
            : static_cast<int>(std::min<uint64_t>(kWindow, padStart - std::min(padStart, shifts)));
    Publish(voice, ring);
    if (FadingOut(voice) && voice.rampLeft == 0) {
        Finish(voice, ring);
        if (voice.starving) {
            // The rest of this block passes unheard: it counts as starved time.
            voice.owed += static_cast<uint64_t>(frames - produced) * voice.step;
        }
    }
}

void Mixer::Publish(Voice& voice, VoiceRing& ring) noexcept {
    const uint64_t ahead = static_cast<uint64_t>(std::clamp(voice.padFrom - 2, 0, 2));
    if (voice.taken < ahead + 1) {
        return;
    }
    const uint64_t x0 = voice.taken - 1 - ahead;
    const uint64_t marks = ring.marksWritten.load(std::memory_order_acquire);
    while (voice.playMark + 1 < marks && ring.Mark(voice.playMark + 1).ringStart <= x0) {
        ++voice.playMark;
    }
    ring.marksFreed.store(voice.playMark, std::memory_order_release);
    const RunMark& mark = ring.Mark(voice.playMark);
    const uint64_t frame = mark.frame + (x0 - std::min(x0, mark.ringStart));
    HeardPosition heard;
    heard.generation = static_cast<uint16_t>(voice.generation);
    heard.entry = static_cast<uint8_t>(mark.entry);
    heard.slot = static_cast<uint8_t>(mark.slot);
    heard.frame = static_cast<uint32_t>(std::min<uint64_t>(frame, 0xFFFFFFFFu));
    ring.heard.store(heard.Pack(), std::memory_order_release);
}

}  // namespace tamberline::sound
