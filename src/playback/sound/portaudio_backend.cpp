#include "playback/sound/portaudio_backend.h"

#include <pa_jack.h>
#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace tamberline {

namespace {

// A running stream that has not called back for this long has lost its device.
constexpr auto kSilenceLimit = std::chrono::milliseconds(1500);

}  // namespace

// What the callback reads. Left behind with a stream that cannot be closed.
struct PortAudioBackend::Shared {
    std::atomic<AudioSink*> sink{nullptr};
    std::atomic<bool> inCallback{false};
    std::atomic<uint64_t> callbacks{0};
    std::atomic<bool> finished{false};
    int channels = 0;

    static int Callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* user) {
        auto* self = static_cast<Shared*>(user);
        auto* out = static_cast<float*>(output);
        self->inCallback.store(true, std::memory_order_seq_cst);
        AudioSink* sink = self->sink.load(std::memory_order_seq_cst);
        if (sink == nullptr) {
            std::fill(out, out + frames * static_cast<unsigned long>(self->channels), 0.0f);
        } else {
            sink->Process(out, self->channels, static_cast<int>(frames));
        }
        self->inCallback.store(false, std::memory_order_release);
        self->callbacks.fetch_add(1, std::memory_order_relaxed);
        return paContinue;
    }
    // Stops the callback from using the sink; false if one still runs in it.
    bool LetGoOfSink() {
        sink.store(nullptr, std::memory_order_seq_cst);
        for (int i = 0; i < 200 && inCallback.load(std::memory_order_seq_cst); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return !inCallback.load(std::memory_order_acquire);
    }
    static void Finished(void* user) {
        static_cast<Shared*>(user)->finished.store(true, std::memory_order_release);
    }
};

PortAudioBackend::PortAudioBackend(std::string jackClientName)
    : jackClientName_(std::move(jackClientName)) {}

PortAudioBackend::~PortAudioBackend() {
    Close();
    if (initialised_ && !abandoned_) {
        Pa_Terminate();
    }
}

bool PortAudioBackend::Initialise() {
    if (initialised_) {
        return true;
    }
    PaJack_SetClientName(jackClientName_.c_str());
    if (Pa_Initialize() != paNoError) {
        return false;
    }
    initialised_ = true;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info != nullptr && info->maxOutputChannels >= 2) {
            devices_.push_back(i);
        }
    }
    return true;
}

SoundResult PortAudioBackend::DriverCount(int& count) {
    if (!Initialise()) {
        return SoundResult::kErrOutput;
    }
    count = static_cast<int>(devices_.size());
    return SoundResult::kOk;
}

SoundResult PortAudioBackend::DriverName(int index, std::string& name) {
    if (!Initialise()) {
        return SoundResult::kErrOutput;
    }
    if (index < 0 || index >= static_cast<int>(devices_.size())) {
        return SoundResult::kErrInvalidParam;
    }
    const PaDeviceInfo* info = Pa_GetDeviceInfo(devices_[static_cast<size_t>(index)]);
    const PaHostApiInfo* api = info != nullptr ? Pa_GetHostApiInfo(info->hostApi) : nullptr;
    if (info == nullptr || api == nullptr) {
        return SoundResult::kErrOutput;
    }
    // The same card can appear under several host APIs; the API tells them apart.
    name = std::string(info->name) + " (" + api->name + ")";
    return SoundResult::kOk;
}

SoundResult PortAudioBackend::Open(int index, int channels, AudioSink& sink,
                                   BackendFormat& format) {
    if (stream_ != nullptr || !Initialise()) {
        return SoundResult::kErrOutput;
    }
    if (index < 0 || index >= static_cast<int>(devices_.size()) || channels < 1) {
        return SoundResult::kErrOutput;
    }
    const PaDeviceIndex device = devices_[static_cast<size_t>(index)];
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr) {
        return SoundResult::kErrOutput;
    }
    auto shared = std::make_unique<Shared>();
    shared->channels = std::min(channels, info->maxOutputChannels);
    shared->sink.store(&sink, std::memory_order_release);
    PaStreamParameters params{};
    params.device = device;
    params.channelCount = shared->channels;
    params.sampleFormat = paFloat32;
    params.suggestedLatency = info->defaultLowOutputLatency;
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, nullptr, &params, info->defaultSampleRate,
                      paFramesPerBufferUnspecified, paClipOff, &Shared::Callback,
                      shared.get()) != paNoError) {
        return SoundResult::kErrOutput;
    }
    Pa_SetStreamFinishedCallback(stream, &Shared::Finished);
    const PaStreamInfo* streamInfo = Pa_GetStreamInfo(stream);
    format.sampleRate =
        static_cast<int>(streamInfo != nullptr ? streamInfo->sampleRate : info->defaultSampleRate);
    format.channels = shared->channels;
    stream_ = stream;
    shared_ = shared.release();
    return SoundResult::kOk;
}

SoundResult PortAudioBackend::Start() {
    if (stream_ == nullptr || Pa_StartStream(static_cast<PaStream*>(stream_)) != paNoError) {
        return SoundResult::kErrOutput;
    }
    started_ = true;
    lastCallbacks_ = 0;
    lastProgress_ = std::chrono::steady_clock::now();
    return SoundResult::kOk;
}

bool PortAudioBackend::Lost() {
    if (stream_ == nullptr || !started_) {
        return false;
    }
    if (abandoned_) {
        return true;
    }
    const auto now = std::chrono::steady_clock::now();
    const uint64_t callbacks = shared_->callbacks.load(std::memory_order_relaxed);
    if (callbacks != lastCallbacks_) {
        lastCallbacks_ = callbacks;
        lastProgress_ = now;
    }
    const bool lost = shared_->finished.load(std::memory_order_acquire) ||
                      Pa_IsStreamActive(static_cast<PaStream*>(stream_)) != 1 ||
                      now - lastProgress_ > kSilenceLimit;
    if (lost) {
        // Closing it would wait for a callback that never comes: leave it.
        abandoned_ = true;
        sinkReleased_ = shared_->LetGoOfSink();
    }
    return lost;
}

bool PortAudioBackend::Close() {
    if (stream_ == nullptr) {
        return true;
    }
    bool released = true;
    if (Lost()) {
        released = sinkReleased_;
    } else {
        auto* stream = static_cast<PaStream*>(stream_);
        if (started_) {
            Pa_AbortStream(stream);
        }
        Pa_CloseStream(stream);
        delete shared_;
    }
    stream_ = nullptr;
    shared_ = nullptr;
    started_ = false;
    return released;
}

}  // namespace tamberline
