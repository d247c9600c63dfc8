#include "playback/sound/sound_system.h"

#include <algorithm>

#include "playback/sound/device_backends.h"
#include "playback/sound/engine.h"
#include "playback/sound/offline_backend.h"
#include "playback/sound/sound_objects.h"
#include "playback/sound/sound_source.h"

namespace tamberline {

namespace {

int BitsOf(SoundFormat format) {
    switch (format) {
        case SoundFormat::kPcm8: return 8;
        case SoundFormat::kPcm16: return 16;
        case SoundFormat::kPcm24: return 24;
        case SoundFormat::kPcm32:
        case SoundFormat::kPcmFloat: return 32;
        default: return 0;
    }
}

}  // namespace

SoundSystem::SoundSystem() = default;

SoundSystem::~SoundSystem() {
    Close();
}

SoundResult SoundSystem::SetOutput(OutputType type) {
    if (engine_) {
        return SoundResult::kErrInitialized;
    }
    if (type == OutputType::kOffline) {
        backend_ = std::make_unique<OfflineBackend>();
    } else {
        backend_ = std::make_unique<DeviceBackends>();
    }
    driver_ = 0;
    return SoundResult::kOk;
}

SoundResult SoundSystem::SetOutputBackend(std::unique_ptr<AudioBackend> backend) {
    if (engine_) {
        return SoundResult::kErrInitialized;
    }
    if (!backend) {
        return SoundResult::kErrInvalidParam;
    }
    backend_ = std::move(backend);
    driver_ = 0;
    return SoundResult::kOk;
}

void SoundSystem::SetFileReader(std::shared_ptr<FileReader> reader) {
    reader_ = std::move(reader);
}

void SoundSystem::EnsureBackend() {
    if (!backend_) {
        backend_ = std::make_unique<DeviceBackends>();
    }
}

SoundResult SoundSystem::GetNumDrivers(int& count) {
    count = 0;
    EnsureBackend();
    return backend_->DriverCount(count);
}

SoundResult SoundSystem::GetDriverName(int index, std::string& name) {
    EnsureBackend();
    return backend_->DriverName(index, name);
}

SoundResult SoundSystem::SetDriver(int index) {
    if (engine_) {
        return SoundResult::kErrInitialized;
    }
    int count = 0;
    const SoundResult r = GetNumDrivers(count);
    if (r != SoundResult::kOk) {
        return r;
    }
    if (index < 0 || index >= count) {
        return SoundResult::kErrInvalidParam;
    }
    driver_ = index;
    return SoundResult::kOk;
}

SoundResult SoundSystem::SetSpeakerMode(SpeakerMode mode) {
    if (engine_) {
        return SoundResult::kErrInitialized;
    }
    speakerMode_ = mode;
    return SoundResult::kOk;
}

SoundResult SoundSystem::Init(int maxChannels) {
    if (engine_) {
        return SoundResult::kErrInitialized;
    }
    if (maxChannels < 1 || maxChannels > kMaxMixChannels) {
        return SoundResult::kErrInvalidParam;
    }
    EnsureBackend();
    auto engine = std::make_unique<sound::Engine>(maxChannels);
    const int speakers = speakerMode_ == SpeakerMode::kStereo ? 2 : kSpeakerCount;
    BackendFormat format;
    if (backend_->Open(driver_, speakers, *engine, format) != SoundResult::kOk ||
        format.sampleRate <= 0) {
        backend_->Close();
        return SoundResult::kErrOutput;
    }
    engine_ = std::move(engine);
    outputRate_ = format.sampleRate;
    outputChannels_ = std::min(format.channels, speakers);
    engine_->mixer().SetOutputRate(outputRate_);
    slots_.assign(static_cast<size_t>(maxChannels), ChannelSlot{});
    if (backend_->Realtime()) {
        engine_->streamer().StartThread();
    }
    if (backend_->Start() != SoundResult::kOk) {
        Close();
        return SoundResult::kErrOutput;
    }
    return SoundResult::kOk;
}

SoundResult SoundSystem::Close() {
    if (!engine_) {
        return SoundResult::kOk;
    }
    const bool released = backend_->Close();
    engine_->streamer().StopThread();
    sounds_.clear();
    slots_.clear();
    if (!released) {
        // A callback of a dead device may still be inside the mixer: keep it.
        static_cast<void>(engine_.release());
    }
    engine_.reset();
    outputRate_ = 0;
    outputChannels_ = 0;
    return SoundResult::kOk;
}

bool SoundSystem::OutputLost() {
    return engine_ && backend_->Lost();
}

SoundResult SoundSystem::Update() {
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    return OutputLost() ? SoundResult::kErrOutputLost : SoundResult::kOk;
}

SoundResult SoundSystem::AddSound(SoundObject object, SoundId& sound) {
    const uint32_t id = nextSound_++;
    if (nextSound_ == 0) {
        nextSound_ = 1;
    }
    sounds_.emplace(id, std::move(object));
    sound = SoundId{id};
    return SoundResult::kOk;
}

SoundSystem::SoundObject* SoundSystem::FindSound(SoundId sound) {
    const auto it = sounds_.find(sound.value);
    return it == sounds_.end() ? nullptr : &it->second;
}

SoundResult SoundSystem::CreateStream(const std::string& path, LoopMode loop, SoundId& sound) {
    sound = {};
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    std::shared_ptr<sound::SoundSource> source;
    const SoundResult r = OpenStreamFile(path, reader_, source);
    if (r != SoundResult::kOk) {
        return r;
    }
    return CreateStream(std::move(source), loop, sound);
}

SoundResult SoundSystem::OpenStreamFile(const std::string& path, std::shared_ptr<FileReader> reader,
                                        std::shared_ptr<sound::SoundSource>& source) {
    return sound::SoundSource::OpenFile(path, std::move(reader), source);
}

SoundResult SoundSystem::CreateStream(std::shared_ptr<sound::SoundSource> source, LoopMode loop,
                                      SoundId& sound) {
    sound = {};
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    if (!source) {
        return SoundResult::kErrInvalidParam;
    }
    SoundObject object;
    object.source = std::move(source);
    object.channels = object.source->Channels();
    object.sampleRate = object.source->SampleRate();
    object.format = object.source->Format();
    object.loop = loop;
    return AddSound(std::move(object), sound);
}

SoundResult SoundSystem::CreateRawStream(const std::string& path, const RawStreamInfo& info,
                                         LoopMode loop, SoundId& sound) {
    sound = {};
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    std::shared_ptr<sound::OpenedFile> file;
    if (const SoundResult r = OpenRawFile(path, file); r != SoundResult::kOk) {
        return r;
    }
    return CreateRawStream(std::move(file), info, loop, sound);
}

SoundResult SoundSystem::OpenRawFile(const std::string& path,
                                     std::shared_ptr<sound::OpenedFile>& file) {
    return sound::OpenedFile::Open(path, file);
}

SoundResult SoundSystem::CreateRawStream(std::shared_ptr<sound::OpenedFile> file,
                                         const RawStreamInfo& info, LoopMode loop, SoundId& sound) {
    sound = {};
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    SoundObject object;
    const SoundResult r =
        sound::SoundSource::OpenRaw(std::move(file), info, reader_, object.source);
    if (r != SoundResult::kOk) {
        return r;
    }
    object.channels = object.source->Channels();
    object.sampleRate = object.source->SampleRate();
    object.format = object.source->Format();
    object.loop = loop;
    return AddSound(std::move(object), sound);
}

SoundResult SoundSystem::CreateUserStream(const UserStreamInfo& info, LoopMode loop,
                                          SoundId& sound) {
    sound = {};
    if (!engine_) {
        return SoundResult::kErrUninitialized;
    }
    if (info.channels < 1 || info.channels > kMaxSoundChannels || info.sampleRate < 1 ||
        info.subSoundCount < 1 || info.subSoundCount > kMaxSubSounds || BitsOf(info.format) == 0) {
        return SoundResult::kErrInvalidParam;
    }
    SoundObject object;
    object.isUser = true;
    object.channels = info.channels;
    object.sampleRate = info.sampleRate;
    object.format = {SoundType::kUser, info.format, info.channels, BitsOf(info.format)};
    object.loop = loop;
    object.subSounds.assign(static_cast<size_t>(info.subSoundCount), SoundId{});
    return AddSound(std::move(object), sound);
}

uint64_t SoundSystem::SoundFrames(const SoundObject& sound) const {
    if (!sound.isUser) {
        return sound.source->Frames();
    }
    uint64_t frames = 0;
    auto add = [&](int slot) {
        const auto it = sounds_.find(sound.subSounds[static_cast<size_t>(slot)].value);
        if (it != sounds_.end()) {
            frames += it->second.source->Frames();
        }
    };
    if (sound.hasSentence) {
        std::for_each(sound.sentence.begin(), sound.sentence.end(), add);
    } else {
        for (int slot = 0; slot < static_cast<int>(sound.subSounds.size()); ++slot) {
            add(slot);
        }
    }
    return frames;
}

SoundResult SoundSystem::GetLength(SoundId sound, TimeUnit unit, uint32_t& length) {
    length = 0;
    const SoundObject* object = FindSound(sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    const uint64_t frames = SoundFrames(*object);
    uint64_t value = 0;
    if (unit == TimeUnit::kPcm) {
        value = frames;
    } else if (unit == TimeUnit::kMs) {
        value = frames * 1000 / static_cast<uint64_t>(object->sampleRate);
    } else {
        return SoundResult::kErrInvalidParam;
    }
    length = static_cast<uint32_t>(std::min<uint64_t>(value, UINT32_MAX));
    return SoundResult::kOk;
}

SoundResult SoundSystem::GetFormat(SoundId sound, SoundFormatInfo& format) {
    const SoundObject* object = FindSound(sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    format = object->format;
    return SoundResult::kOk;
}

SoundResult SoundSystem::GetNumSubSounds(SoundId sound, int& count) {
    count = 0;
    const SoundObject* object = FindSound(sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    count = static_cast<int>(object->subSounds.size());
    return SoundResult::kOk;
}

SoundResult SoundSystem::GetSubSound(SoundId parent, int index, SoundId& sub) {
    sub = {};
    const SoundObject* object = FindSound(parent);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    if (index < 0 || index >= static_cast<int>(object->subSounds.size())) {
        return SoundResult::kErrInvalidParam;
    }
    sub = object->subSounds[static_cast<size_t>(index)];
    return SoundResult::kOk;
}

SoundResult SoundSystem::SetSubSound(SoundId parent, int index, SoundId sub) {
    SoundObject* p = FindSound(parent);
    if (p == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    if (!p->isUser || index < 0 || index >= static_cast<int>(p->subSounds.size())) {
        return SoundResult::kErrInvalidParam;
    }
    SoundObject* s = nullptr;
    if (sub) {
        s = FindSound(sub);
        if (s == nullptr) {
            return SoundResult::kErrInvalidHandle;
        }
        if (s->isUser || s->voice >= 0 || s->parent || s->channels != p->channels ||
            s->sampleRate != p->sampleRate) {
            return SoundResult::kErrInvalidParam;
        }
    }
    SoundId& slot = p->subSounds[static_cast<size_t>(index)];
    if (SoundObject* old = FindSound(slot)) {
        old->parent = {};
    }
    slot = sub;
    if (s != nullptr) {
        s->parent = parent;
    }
    if (p->voice >= 0) {
        SendRules(slots_[static_cast<size_t>(p->voice)], false);
    }
    return SoundResult::kOk;
}

SoundResult SoundSystem::SetSubSoundSentence(SoundId parent, const std::vector<int>& subSounds) {
    SoundObject* p = FindSound(parent);
    if (p == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    const int count = static_cast<int>(p->subSounds.size());
    if (!p->isUser || subSounds.empty() || subSounds.size() > kMaxSubSounds ||
        std::any_of(subSounds.begin(), subSounds.end(),
                    [count](int i) { return i < 0 || i >= count; })) {
        return SoundResult::kErrInvalidParam;
    }
    p->sentence = subSounds;
    p->hasSentence = true;
    if (p->voice >= 0) {
        SendRules(slots_[static_cast<size_t>(p->voice)], false);
    }
    return SoundResult::kOk;
}

SoundResult SoundSystem::ReleaseSound(SoundId sound) {
    SoundObject* object = FindSound(sound);
    if (object == nullptr) {
        return SoundResult::kErrInvalidHandle;
    }
    if (object->voice >= 0) {
        StopVoice(object->voice);
    }
    for (SoundId sub : object->subSounds) {
        if (SoundObject* s = FindSound(sub)) {
            s->parent = {};
        }
    }
    if (SoundObject* parent = FindSound(object->parent)) {
        std::replace(parent->subSounds.begin(), parent->subSounds.end(), sound, SoundId{});
        sounds_.erase(sound.value);
        if (parent->voice >= 0) {
            SendRules(slots_[static_cast<size_t>(parent->voice)], false);
        }
        return SoundResult::kOk;
    }
    sounds_.erase(sound.value);
    return SoundResult::kOk;
}

}  // namespace tamberline
