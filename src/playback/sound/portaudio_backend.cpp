#include "playback/sound/portaudio_backend.h"

#include <pa_jack.h>
#include <portaudio.h>

#include <pa_linux_alsa.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace tamberline {

namespace {

// How long the caller waits for a lost device's PortAudio to end before it
// reports failure (and tries again next time). PortAudio's JACK host waits
// up to ten minutes on a stream whose server died before it lets go.
constexpr auto kRestartLimit = std::chrono::milliseconds(200);

// PortAudio initialisations left behind by backends whose device was lost.
// PortAudio counts initialisations and only starts afresh (finding a JACK
// server that came back, a card plugged in again) once all are ended.
struct LeftBehind {
    std::mutex mutex;
    int initialisations = 0;
    std::shared_ptr<std::atomic<bool>> ending;  // a thread is ending them
};

LeftBehind& Left() {
    static LeftBehind left;
    return left;
}

// Ends the left-behind initialisations on a thread of its own: closing a
// lost stream can block on a device that hangs, and must not hold up the
// caller for longer than kRestartLimit. False while they are not ended;
// PortAudio is then not touched until they are.
bool EndLeftBehind() {
    LeftBehind& left = Left();
    const std::lock_guard<std::mutex> lock(left.mutex);
    if (left.ending && !left.ending->load()) {
        return false;  // still hanging from an earlier try
    }
    left.ending.reset();
    if (left.initialisations == 0) {
        return true;
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    left.ending = done;
    const int count = left.initialisations;
    left.initialisations = 0;
    std::thread([count, done] {
        for (int i = 0; i < count; ++i) {
            Pa_Terminate();
        }
        done->store(true);
    }).detach();
    const auto until = std::chrono::steady_clock::now() + kRestartLimit;
    while (!done->load() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done->load();
}

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
    if (initialised_ && abandoned_) {
        // Its lost stream is still open: ended later, off this thread.
        const std::lock_guard<std::mutex> lock(Left().mutex);
        ++Left().initialisations;
    } else if (initialised_) {
        Pa_Terminate();
    }
}

bool PortAudioBackend::Initialise() {
    if (initialised_) {
        return true;
    }
    if (!EndLeftBehind()) {
        return false;
    }
    PaJack_SetClientName(jackClientName_.c_str());
    if (Pa_Initialize() != paNoError) {
        return false;
    }
    initialised_ = true;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        const PaHostApiInfo* api = info != nullptr ? Pa_GetHostApiInfo(info->hostApi) : nullptr;
        if (info != nullptr && info->maxOutputChannels >= 2 && api != nullptr &&
            api->type != paJACK) {
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
                      paFramesPerBufferUnspecified, paNoFlag, &Shared::Callback,
                      shared.get()) != paNoError) {
        return SoundResult::kErrOutput;
    }
    Pa_SetStreamFinishedCallback(stream, &Shared::Finished);
    const PaHostApiInfo* api = Pa_GetHostApiInfo(info->hostApi);
    if (api != nullptr && api->type == paALSA) {
        // Real-time priority for the callback where the system grants it
        // (JACK's own thread already has what the server was given).
        PaAlsa_EnableRealtimeScheduling(stream, 1);
    }
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
    watch_.Restart();
    return SoundResult::kOk;
}

bool PortAudioBackend::Lost() {
    const std::lock_guard<std::mutex> lock(lostMutex_);
    if (stream_ == nullptr || !started_) {
        return false;
    }
    if (abandoned_) {
        return true;
    }
    const bool silent = watch_.Silent(shared_->callbacks.load(std::memory_order_relaxed));
    const bool lost = shared_->finished.load(std::memory_order_acquire) ||
                      Pa_IsStreamActive(static_cast<PaStream*>(stream_)) != 1 || silent;
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
