#include "playback/sound/device_backends.h"

#include "playback/sound/jack_backend.h"
#include "playback/sound/portaudio_backend.h"

namespace tamberline {

namespace {

void AddNames(AudioBackend& backend, int count, std::vector<std::string>& names) {
    for (int i = 0; i < count; ++i) {
        std::string name;
        backend.DriverName(i, name);
        names.push_back(name);
    }
}

}  // namespace

DeviceBackends::DeviceBackends(std::string jackClientName)
    : portAudio_(std::make_unique<PortAudioBackend>()),
      jack_(std::make_unique<JackBackend>(std::move(jackClientName))) {}

DeviceBackends::~DeviceBackends() {
    Close();
}

bool DeviceBackends::List() {
    if (listed_) {
        return true;
    }
    int jackCount = 0;
    jack_->DriverCount(jackCount);
    if (portAudio_->DriverCount(portAudioCount_) != SoundResult::kOk) {
        portAudioCount_ = 0;
        if (jackCount == 0) {
            return false;  // tried again next time
        }
    }
    listed_ = true;
    AddNames(*portAudio_, portAudioCount_, names_);
    AddNames(*jack_, jackCount, names_);
    return true;
}

SoundResult DeviceBackends::DriverCount(int& count) {
    if (!List()) {
        return SoundResult::kErrOutput;
    }
    count = static_cast<int>(names_.size());
    return SoundResult::kOk;
}

SoundResult DeviceBackends::DriverName(int index, std::string& name) {
    if (!List()) {
        return SoundResult::kErrOutput;
    }
    if (index < 0 || index >= static_cast<int>(names_.size())) {
        return SoundResult::kErrInvalidParam;
    }
    name = names_[static_cast<size_t>(index)];
    return SoundResult::kOk;
}

SoundResult DeviceBackends::Open(int index, int channels, AudioSink& sink, BackendFormat& format) {
    if (opened_ != nullptr || !List() || index < 0 || index >= static_cast<int>(names_.size())) {
        return SoundResult::kErrOutput;
    }
    const bool onJack = index >= portAudioCount_;
    AudioBackend* backend = onJack ? static_cast<AudioBackend*>(jack_.get()) : portAudio_.get();
    if (backend == nullptr) {
        return SoundResult::kErrOutput;
    }
    if (onJack) {
        index -= portAudioCount_;
        portAudio_.reset();
    } else {
        jack_.reset();  // the client that listed the server lets go of it
    }
    const SoundResult r = backend->Open(index, channels, sink, format);
    if (r == SoundResult::kOk) {
        opened_ = backend;
    }
    return r;
}

SoundResult DeviceBackends::Start() {
    return opened_ != nullptr ? opened_->Start() : SoundResult::kErrOutput;
}

bool DeviceBackends::Close() {
    if (opened_ == nullptr) {
        return true;
    }
    const bool released = opened_->Close();
    opened_ = nullptr;
    return released;
}

bool DeviceBackends::Lost() {
    return opened_ != nullptr && opened_->Lost();
}

}  // namespace tamberline
