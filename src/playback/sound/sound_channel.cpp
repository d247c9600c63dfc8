// SoundSystem: playing sounds and the channel operations.

#include <algorithm>
#include <cmath>

#include "playback/sound/engine.h"
#include "playback/sound/sound_objects.h"
#include "playback/sound/sound_source.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

namespace {

constexpr uint32_t kSlotBits = 12;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr uint32_t kSerialMask = (1u << (32 - kSlotBits)) - 1;

ChannelId MakeChannelId(int voice, uint32_t serial) {
    return ChannelId{(serial & kSerialMask) << kSlotBits | static_cast<uint32_t>(voice + 1)};
}

bool ValidLevel(float level) {
    return std::isfinite(level) && level >= 0.0f && level <= 16.0f;
}

uint64_t MsToFrames(uint32_t ms, int rate) {
    return uint64_t{ms} * static_cast<uint64_t>(rate) / 1000;
}

uint32_t FramesToMs(uint64_t frames, int rate) {
    return static_cast<uint32_t>(
        std::min<uint64_t>(frames * 1000 / static_cast<uint64_t>(rate), UINT32_MAX));
}

}  // namespace

bool SoundSystem::Ended(const ChannelSlot& slot) const {
    const int voice = static_cast<int>(&slot - slots_.data());
    return engine_->Ring(voice).endedGeneration.load(std::memory_order_acquire) >=
           slot.firstGeneration;
}

SoundResult SoundSystem::UseChannel(ChannelId channel, ChannelSlot*& slot, bool allowEnded) {
    slot = nullptr;
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    const uint32_t index = channel.value & kSlotMask;
    if (index == 0 || index > slots_.size()) {
        return SoundResult::kErrInvalidHandle;
    }
    ChannelSlot& s = slots_[index - 1];
    if (s.state != ChannelSlot::State::kPlaying ||
        (s.serial & kSerialMask) != channel.value >> kSlotBits) {
        return SoundResult::kErrInvalidHandle;
    }
    if (OutputLost()) {
        return SoundResult::kErrOutputLost;
    }
    if (!allowEnded && Ended(s)) {
        return SoundResult::kErrChannelStopped;
    }
    slot = &s;
    return SoundResult::kOk;
}

int SoundSystem::FreeVoice() {
    for (size_t i = 0; i < slots_.size(); ++i) {
        ChannelSlot& slot = slots_[i];
        sound::VoiceRing& ring = engine_->Ring(static_cast<int>(i));
        if (slot.state == ChannelSlot::State::kStopping &&
            ring.mixerIdle.load(std::memory_order_acquire) &&
            ring.streamerIdle.load(std::memory_order_acquire)) {
            slot.state = ChannelSlot::State::kFree;
        }
        if (slot.state == ChannelSlot::State::kFree) {
            return static_cast<int>(i);
        }
    }
    // None free: let the ended ones go, for the next call.
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].state == ChannelSlot::State::kPlaying && Ended(slots_[i])) {
            StopVoice(static_cast<int>(i));
        }
    }
    return -1;
}

void SoundSystem::StopVoice(int voice) {
    ChannelSlot& slot = slots_[static_cast<size_t>(voice)];
    if (SoundObject* object = FindSound(slot.sound)) {
        object->voice = -1;
    }
    slot.state = ChannelSlot::State::kStopping;
    slot.sound = {};
    // Asked through the ring, not the queue: a full queue never loses a stop.
    engine_->Ring(voice).stopSerial.store(slot.serial, std::memory_order_release);
    sound::StreamCommand command;
    command.kind = sound::StreamCommand::Kind::kStop;
    command.voice = voice;
    engine_->streamer().Post(std::move(command));
}

sound::PlayRules SoundSystem::RulesFor(const ChannelSlot& slot, const SoundObject& object) const {
    sound::PlayRules rules;
    rules.loop = slot.loop;
    rules.loopStart = slot.loopStart;
    rules.loopEnd = slot.loopEnd;
    rules.loopCount = slot.loopCount;
    if (!object.isUser) {
        rules.entries.push_back({object.source, 0});
        return rules;
    }
    rules.sentence = true;
    auto add = [&](int index) {
        const auto it = sounds_.find(object.subSounds[static_cast<size_t>(index)].value);
        rules.entries.push_back({it == sounds_.end() ? nullptr : it->second.source, index});
    };
    if (object.hasSentence) {
        std::for_each(object.sentence.begin(), object.sentence.end(), add);
    } else {
        for (int i = 0; i < static_cast<int>(object.subSounds.size()); ++i) {
            add(i);
        }
    }
    return rules;
}

SoundResult SoundSystem::SendRules(ChannelSlot& slot, bool restartLoopCount) {
    const SoundObject* object = FindSound(slot.sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    sound::StreamCommand command;
    command.kind = sound::StreamCommand::Kind::kRules;
    command.voice = static_cast<int>(&slot - slots_.data());
    command.rules = RulesFor(slot, *object);
    command.restartLoopCount = restartLoopCount;
    engine_->streamer().Post(std::move(command));
    return SoundResult::kOk;
}

SoundResult SoundSystem::PlaySound(SoundId sound, bool paused, ChannelId& channel) {
    channel = {};
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    SoundObject* object = FindSound(sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    if (object->parent) {
        return SoundResult::kErrInvalidParam;  // it plays through its parent
    }
    if (OutputLost()) {
        return SoundResult::kErrOutputLost;
    }
    if (!engine_->mixer().HasRoom(1)) {
        return SoundResult::kErrCommandQueueFull;
    }
    if (object->voice >= 0) {
        StopVoice(object->voice);
    }
    const int voice = FreeVoice();
    if (voice < 0) {
        return SoundResult::kErrChannelAlloc;
    }
    ChannelSlot& slot = slots_[static_cast<size_t>(voice)];
    const uint32_t serial = slot.serial + 1;
    const uint32_t generation = slot.generation + 1;
    slot = ChannelSlot{};
    slot.state = ChannelSlot::State::kPlaying;
    slot.serial = serial;
    slot.generation = generation;
    slot.firstGeneration = generation;
    slot.sound = sound;
    slot.paused = paused;
    slot.frequency = static_cast<float>(object->sampleRate);
    slot.loop = object->loop;
    slot.loopEnd = SoundFrames(*object);
    slot.seekCursor = {0, 0, slot.loopCount, false};

    sound::VoiceRing& ring = engine_->Ring(voice);
    ring.Prepare(object->channels, static_cast<uint64_t>(kRingSeconds) * object->sampleRate,
                 kRingMarks);
    ring.mixerIdle.store(false, std::memory_order_relaxed);
    ring.streamerIdle.store(false, std::memory_order_relaxed);

    sound::MixCommand start;
    start.kind = sound::MixCommand::Kind::kStart;
    start.voice = static_cast<uint16_t>(voice);
    start.generation = generation;
    start.serial = serial;
    start.channels = object->channels;
    start.paused = paused;
    start.ratio = static_cast<double>(object->sampleRate) / outputRate_;
    engine_->mixer().Post(start);

    sound::StreamCommand command;
    command.kind = sound::StreamCommand::Kind::kStart;
    command.voice = voice;
    command.generation = generation;
    command.rules = RulesFor(slot, *object);
    command.cursor = slot.seekCursor;
    engine_->streamer().Post(std::move(command));

    object->voice = voice;
    channel = MakeChannelId(voice, serial);
    return SoundResult::kOk;
}

namespace {

template <typename Fill>
SoundResult PostMix(sound::Engine& engine, int voice, sound::MixCommand::Kind kind, Fill fill) {
    sound::MixCommand command;
    command.kind = kind;
    command.voice = static_cast<uint16_t>(voice);
    fill(command);
    return engine.mixer().Post(command) ? SoundResult::kOk : SoundResult::kErrCommandQueueFull;
}

}  // namespace

SoundResult SoundSystem::SetPaused(ChannelId channel, bool paused) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    const int voice = static_cast<int>(slot - slots_.data());
    const SoundResult r = PostMix(*engine_, voice, sound::MixCommand::Kind::kPause,
                                  [&](sound::MixCommand& c) { c.paused = paused; });
    if (r == SoundResult::kOk) {
        slot->paused = paused;
        slot->untouched = slot->untouched && paused;
    }
    return r;
}

SoundResult SoundSystem::SetVolume(ChannelId channel, float volume) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    if (std::isnan(volume)) {
        return SoundResult::kErrInvalidParam;
    }
    volume = std::clamp(volume, 0.0f, 1.0f);
    const int voice = static_cast<int>(slot - slots_.data());
    const SoundResult r = PostMix(*engine_, voice, sound::MixCommand::Kind::kVolume,
                                  [&](sound::MixCommand& c) { c.volume = volume; });
    if (r == SoundResult::kOk) {
        slot->volume = volume;
    }
    return r;
}

SoundResult SoundSystem::GetVolume(ChannelId channel, float& volume) {
    ChannelSlot* slot = nullptr;
    const SoundResult r = UseChannel(channel, slot);
    if (r == SoundResult::kOk) {
        volume = slot->volume;
    }
    return r;
}

SoundResult SoundSystem::SetFrequency(ChannelId channel, float frequency) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    const double ratio = static_cast<double>(frequency) / outputRate_;
    if (!std::isfinite(frequency) || frequency <= 0.0f || ratio > kMaxRateRatio) {
        return SoundResult::kErrInvalidParam;
    }
    const int voice = static_cast<int>(slot - slots_.data());
    const SoundResult r = PostMix(*engine_, voice, sound::MixCommand::Kind::kFrequency,
                                  [&](sound::MixCommand& c) { c.ratio = ratio; });
    if (r == SoundResult::kOk) {
        slot->frequency = frequency;
    }
    return r;
}

SoundResult SoundSystem::GetFrequency(ChannelId channel, float& frequency) {
    ChannelSlot* slot = nullptr;
    const SoundResult r = UseChannel(channel, slot);
    if (r == SoundResult::kOk) {
        frequency = slot->frequency;
    }
    return r;
}

SoundResult SoundSystem::SetSpeakerMix(ChannelId channel,
                                       const std::array<float, kSpeakerCount>& levels) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    if (!std::all_of(levels.begin(), levels.end(), ValidLevel)) {
        return SoundResult::kErrInvalidParam;
    }
    const int voice = static_cast<int>(slot - slots_.data());
    return PostMix(*engine_, voice, sound::MixCommand::Kind::kSpeakerMix,
                   [&](sound::MixCommand& c) { c.levels = levels; });
}

SoundResult SoundSystem::SetSpeakerLevels(ChannelId channel, int speaker, const float* levels,
                                          int count) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    if (speaker < 0 || speaker >= kSpeakerCount || levels == nullptr || count < 1 ||
        count > kMaxSoundChannels || !std::all_of(levels, levels + count, ValidLevel)) {
        return SoundResult::kErrInvalidParam;
    }
    const int voice = static_cast<int>(slot - slots_.data());
    return PostMix(*engine_, voice, sound::MixCommand::Kind::kSpeakerLevels,
                   [&](sound::MixCommand& c) {
                       c.speaker = speaker;
                       c.count = count;
                       std::copy(levels, levels + count, c.levels.begin());
                   });
}

SoundResult SoundSystem::IsPlaying(ChannelId channel, bool& playing) {
    playing = false;
    ChannelSlot* slot = nullptr;
    const SoundResult r = UseChannel(channel, slot, true);
    if (r != SoundResult::kOk) {
        return r;
    }
    playing = !Ended(*slot);
    const int voice = static_cast<int>(slot - slots_.data());
    if (!playing && engine_->Ring(voice).readFailed.load(std::memory_order_acquire)) {
        return SoundResult::kErrFileRead;
    }
    return SoundResult::kOk;
}

SoundResult SoundSystem::GetUnderruns(ChannelId channel, uint32_t& count) {
    count = 0;
    ChannelSlot* slot = nullptr;
    const SoundResult r = UseChannel(channel, slot, true);
    if (r == SoundResult::kOk) {
        const int voice = static_cast<int>(slot - slots_.data());
        count = engine_->Ring(voice).underruns.load(std::memory_order_relaxed);
    }
    return r;
}

SoundResult SoundSystem::StartTogether(const std::vector<ChannelId>& channels) {
    std::vector<int> voices;
    for (ChannelId channel : channels) {
        ChannelSlot* slot = nullptr;
        if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
            return r;
        }
        voices.push_back(static_cast<int>(slot - slots_.data()));
    }
    if (!engine_->mixer().HasRoom(static_cast<int>(voices.size()) + 1)) {
        return SoundResult::kErrCommandQueueFull;
    }
    const uint32_t group = ++lastGroup_ == 0 ? ++lastGroup_ : lastGroup_;
    for (int voice : voices) {
        sound::MixCommand join;
        join.kind = sound::MixCommand::Kind::kJoinGroup;
        join.voice = static_cast<uint16_t>(voice);
        join.group = group;
        engine_->mixer().Post(join);
        ChannelSlot& slot = slots_[static_cast<size_t>(voice)];
        slot.paused = false;
        slot.untouched = false;
    }
    sound::MixCommand go;
    go.kind = sound::MixCommand::Kind::kStartGroup;
    go.group = group;
    engine_->mixer().Post(go);
    return SoundResult::kOk;
}

SoundResult SoundSystem::GetPosition(ChannelId channel, uint32_t& position, TimeUnit unit) {
    position = 0;
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot, true); r != SoundResult::kOk) {
        return r;
    }
    const SoundObject* object = FindSound(slot->sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    const int voice = static_cast<int>(slot - slots_.data());
    const auto heard =
        sound::HeardPosition::Unpack(engine_->Ring(voice).heard.load(std::memory_order_acquire));
    // Until the mixer plays from the last seek, the seek says where it is.
    int entry = slot->seekCursor.entry;
    uint64_t frame = slot->seekCursor.frame;
    int subSound = 0;
    if (heard.generation == static_cast<uint16_t>(slot->generation)) {
        entry = heard.entry;
        frame = heard.frame;
        subSound = heard.slot;
    } else if (object->isUser) {
        const std::vector<int>& order = object->sentence;
        subSound = object->hasSentence && entry < static_cast<int>(order.size())
                       ? order[static_cast<size_t>(entry)]
                       : entry;
    }
    if (unit == TimeUnit::kSubSound) {
        position = static_cast<uint32_t>(subSound);
        return SoundResult::kOk;
    }
    if (object->isUser) {
        // Count the present entries of the sentence before the one heard.
        const sound::PlayRules rules = RulesFor(*slot, *object);
        for (int e = 0; e < entry && e < static_cast<int>(rules.entries.size()); ++e) {
            const auto& source = rules.entries[static_cast<size_t>(e)].source;
            frame += source ? source->Frames() : 0;
        }
    }
    if (unit == TimeUnit::kPcm) {
        position = static_cast<uint32_t>(std::min<uint64_t>(frame, UINT32_MAX));
    } else if (unit == TimeUnit::kMs) {
        position = FramesToMs(frame, object->sampleRate);
    } else {
        return SoundResult::kErrInvalidParam;
    }
    return SoundResult::kOk;
}

bool SoundSystem::PositionCursor(const SoundObject& object, uint64_t frame,
                                 sound::PlayCursor& cursor) const {
    const sound::PlayRules rules = RulesFor(ChannelSlot{}, object);
    for (int e = 0; e < static_cast<int>(rules.entries.size()); ++e) {
        const auto& source = rules.entries[static_cast<size_t>(e)].source;
        const uint64_t length = source ? source->Frames() : 0;
        if (frame < length) {
            cursor.entry = e;
            cursor.frame = frame;
            return true;
        }
        frame -= length;
    }
    return false;
}

SoundResult SoundSystem::SetPosition(ChannelId channel, uint32_t position, TimeUnit unit) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    const SoundObject* object = FindSound(slot->sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    uint64_t frame = position;
    if (unit == TimeUnit::kMs) {
        frame = MsToFrames(position, object->sampleRate);
    } else if (unit != TimeUnit::kPcm) {
        return SoundResult::kErrInvalidParam;
    }
    sound::PlayCursor cursor;
    cursor.loopsLeft = slot->loopCount;
    if (!PositionCursor(*object, frame, cursor)) {
        return SoundResult::kErrInvalidParam;
    }
    // Nothing has been heard since the last start or seek to this very
    // place: what is decoded is already right, so keep it.
    if (slot->untouched && slot->paused && cursor.entry == slot->seekCursor.entry &&
        cursor.frame == slot->seekCursor.frame) {
        return SoundResult::kOk;
    }
    const int voice = static_cast<int>(slot - slots_.data());
    const uint32_t generation = slot->generation + 1;
    const SoundResult r = PostMix(*engine_, voice, sound::MixCommand::Kind::kSeek,
                                  [&](sound::MixCommand& c) { c.generation = generation; });
    if (r != SoundResult::kOk) {
        return r;
    }
    slot->generation = generation;
    slot->seekCursor = cursor;
    slot->untouched = slot->paused;
    sound::StreamCommand command;
    command.kind = sound::StreamCommand::Kind::kSeek;
    command.voice = voice;
    command.generation = generation;
    command.cursor = cursor;
    engine_->streamer().Post(std::move(command));
    return SoundResult::kOk;
}

SoundResult SoundSystem::SetMode(ChannelId channel, LoopMode mode) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    slot->loop = mode;
    return SendRules(*slot, false);
}

SoundResult SoundSystem::SetLoopPoints(ChannelId channel, uint32_t start, uint32_t end) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    const SoundObject* object = FindSound(slot->sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    if (object->isUser || start >= end || end > SoundFrames(*object)) {
        return SoundResult::kErrInvalidParam;
    }
    slot->loopStart = start;
    slot->loopEnd = end;
    return SendRules(*slot, false);
}

SoundResult SoundSystem::SetLoopCount(ChannelId channel, int count) {
    ChannelSlot* slot = nullptr;
    if (const SoundResult r = UseChannel(channel, slot); r != SoundResult::kOk) {
        return r;
    }
    if (count < -1) {
        return SoundResult::kErrInvalidParam;
    }
    slot->loopCount = count;
    return SendRules(*slot, true);
}

}  // namespace tamberline
