#include "playback/sound/offline_backend.h"

#include <algorithm>
#include <cstddef>

namespace tamberline {

OfflineBackend::OfflineBackend(int sampleRate, int periodFrames, bool streaming, int channels)
    : sampleRate_(sampleRate),
      periodFrames_(std::max(1, periodFrames)),
      streaming_(streaming),
      deviceChannels_(channels) {}

SoundResult OfflineBackend::DriverCount(int& count) {
    count = 1;
    return SoundResult::kOk;
}

SoundResult OfflineBackend::DriverName(int index, std::string& name) {
    if (index != 0) {
        return SoundResult::kErrInvalidParam;
    }
    name = "Offline";
    return SoundResult::kOk;
}

SoundResult OfflineBackend::Open(int index, int channels, AudioSink& sink, BackendFormat& format) {
    if (index != 0 || channels < 1) {
        return SoundResult::kErrOutput;
    }
    channels_ = deviceChannels_ > 0 ? std::min(channels, deviceChannels_) : channels;
    sink_ = &sink;
    format = {sampleRate_, channels_};
    return SoundResult::kOk;
}

SoundResult OfflineBackend::Start() {
    if (sink_ == nullptr) {
        return SoundResult::kErrOutput;
    }
    started_ = true;
    return SoundResult::kOk;
}

bool OfflineBackend::Close() {
    started_ = false;
    sink_ = nullptr;
    return true;
}

bool OfflineBackend::Render(float* out, int frames) {
    if (!started_) {
        return false;
    }
    for (int done = 0; done < frames;) {
        const int n = std::min(periodFrames_, frames - done);
        if (!streaming_) {
            sink_->Decode();
        }
        sink_->Process(out + static_cast<ptrdiff_t>(done) * channels_, channels_, n);
        done += n;
    }
    return true;
}

bool OfflineBackend::Decode() {
    if (!started_) {
        return false;
    }
    sink_->Decode();
    return true;
}

bool OfflineBackend::Mix(float* out, int frames) {
    if (!started_) {
        return false;
    }
    sink_->Process(out, channels_, frames);
    return true;
}

}  // namespace tamberline
