#include "playback/sound/jack_backend.h"

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace tamberline {

namespace {

// The mixer is asked for at most this many frames at a time; longer JACK
// periods are filled in pieces, so nothing is allocated on JACK's thread.
constexpr jack_nframes_t kChunk = 2048;
constexpr int kMaxChannels = 8;

// libjack tells of a missing server on stderr at every try; a server that
// is not there is an answer here, not an error.
void Quiet(const char*) {}

void QuietLibjack() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(&Quiet);
        jack_set_info_function(&Quiet);
    });
}

jack_client_t* OpenClient(const std::string& name) {
    QuietLibjack();
    jack_status_t status{};
    return jack_client_open(name.c_str(), JackNoStartServer, &status);
}

int CountPlaybackPorts(jack_client_t* client) {
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsPhysical | JackPortIsInput);
    int count = 0;
    while (ports != nullptr && ports[count] != nullptr) {
        ++count;
    }
    jack_free(ports);
    return count;
}

}  // namespace

// What JACK's threads read. Owned by the backend, or by the thread that
// closes the client of a lost server.
struct JackBackend::Shared {
    std::atomic<AudioSink*> sink{nullptr};
    std::atomic<bool> inCallback{false};
    std::atomic<uint64_t> callbacks{0};
    std::atomic<bool> shutDown{false};
    int channels = 0;
    jack_port_t* ports[kMaxChannels] = {};
    std::vector<float> scratch;

    // JACK's process thread.
    static int Process(jack_nframes_t frames, void* self) noexcept {
        auto* s = static_cast<Shared*>(self);
        s->inCallback.store(true, std::memory_order_seq_cst);
        AudioSink* sink = s->sink.load(std::memory_order_seq_cst);
        float* out[kMaxChannels] = {};
        for (int c = 0; c < s->channels; ++c) {
            out[c] = static_cast<float*>(jack_port_get_buffer(s->ports[c], frames));
        }
        const auto channels = static_cast<size_t>(s->channels);
        for (jack_nframes_t done = 0; done < frames;) {
            const jack_nframes_t n = std::min(frames - done, kChunk);
            float* mixed = s->scratch.data();
            if (sink != nullptr) {
                sink->Process(mixed, s->channels, static_cast<int>(n));
            } else {
                std::fill(mixed, mixed + n * channels, 0.0f);
            }
            for (jack_nframes_t i = 0; i < n; ++i) {
                for (size_t c = 0; c < channels; ++c) {
                    out[c][done + i] = mixed[i * channels + c];
                }
            }
            done += n;
        }
        s->inCallback.store(false, std::memory_order_release);
        s->callbacks.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    // A thread of libjack's, once the server has gone.
    static void ShutDown(jack_status_t, const char*, void* self) {
        static_cast<Shared*>(self)->shutDown.store(true, std::memory_order_release);
    }
    // Stops the callback from using the sink; false if one still runs in it.
    bool LetGoOfSink() {
        sink.store(nullptr, std::memory_order_seq_cst);
        for (int i = 0; i < 200 && inCallback.load(std::memory_order_seq_cst); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return !inCallback.load(std::memory_order_acquire);
    }
};

JackBackend::JackBackend(std::string clientName) : clientName_(std::move(clientName)) {}

JackBackend::~JackBackend() {
    Close();
}

bool JackBackend::ServerRuns() {
    jack_client_t* probe = OpenClient("tamberline-probe");
    if (probe == nullptr) {
        return false;
    }
    jack_client_close(probe);
    return true;
}

// Only a client that plays stays on the server: libjack cannot close a
// client whose server went away (it crashes), so an idle one is never left
// there to be caught out.
void JackBackend::Probe() {
    if (probed_) {
        return;
    }
    probed_ = true;
    jack_client_t* probe = OpenClient(clientName_);
    playbackPorts_ = probe != nullptr ? CountPlaybackPorts(probe) : 0;
    if (probe != nullptr) {
        jack_client_close(probe);
    }
}

SoundResult JackBackend::DriverCount(int& count) {
    Probe();
    count = playbackPorts_ >= 2 ? 1 : 0;
    return SoundResult::kOk;
}

SoundResult JackBackend::DriverName(int index, std::string& name) {
    int count = 0;
    DriverCount(count);
    if (index < 0 || index >= count) {
        return SoundResult::kErrInvalidParam;
    }
    name = kDriverName;
    return SoundResult::kOk;
}

SoundResult JackBackend::Open(int index, int channels, AudioSink& sink, BackendFormat& format) {
    int count = 0;
    DriverCount(count);
    if (client_ != nullptr || index < 0 || index >= count || channels < 1) {
        return SoundResult::kErrOutput;
    }
    client_ = OpenClient(clientName_);
    if (client_ == nullptr) {
        return SoundResult::kErrOutput;
    }
    auto shared = std::make_unique<Shared>();
    shared->channels = std::min({channels, CountPlaybackPorts(client_), kMaxChannels});
    if (shared->channels < 1) {
        Close();
        return SoundResult::kErrOutput;
    }
    shared->scratch.assign(static_cast<size_t>(kChunk) * static_cast<size_t>(shared->channels),
                           0.0f);
    for (int c = 0; c < shared->channels; ++c) {
        const std::string port = "out_" + std::to_string(c + 1);
        shared->ports[c] = jack_port_register(client_, port.c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                              JackPortIsOutput | JackPortIsTerminal, 0);
        if (shared->ports[c] == nullptr) {
            Close();
            return SoundResult::kErrOutput;
        }
    }
    if (jack_set_process_callback(client_, &Shared::Process, shared.get()) != 0) {
        Close();
        return SoundResult::kErrOutput;
    }
    jack_on_info_shutdown(client_, &Shared::ShutDown, shared.get());
    shared->sink.store(&sink, std::memory_order_release);
    format.sampleRate = static_cast<int>(jack_get_sample_rate(client_));
    format.channels = shared->channels;
    shared_ = shared.release();
    return SoundResult::kOk;
}

SoundResult JackBackend::Start() {
    if (shared_ == nullptr || jack_activate(client_) != 0) {
        return SoundResult::kErrOutput;
    }
    started_ = true;
    watch_.Restart();
    // Our output N feeds the server's playback port N.
    const char** playback = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsPhysical | JackPortIsInput);
    for (int c = 0; c < shared_->channels && playback != nullptr && playback[c] != nullptr; ++c) {
        jack_connect(client_, jack_port_name(shared_->ports[c]), playback[c]);
    }
    jack_free(playback);
    return SoundResult::kOk;
}

bool JackBackend::Lost() {
    const std::lock_guard<std::mutex> lock(lostMutex_);
    if (shared_ == nullptr || !started_) {
        return false;
    }
    if (lost_) {
        return true;
    }
    const bool silent = watch_.Silent(shared_->callbacks.load(std::memory_order_relaxed));
    lost_ = shared_->shutDown.load(std::memory_order_acquire) || silent;
    return lost_;
}

bool JackBackend::Close() {
    if (client_ == nullptr) {
        return true;
    }
    bool released = true;
    if (shared_ != nullptr && Lost()) {
        // The server is gone or hangs: its client cannot be closed (libjack
        // crashes or waits on it), so it is left behind with what JACK
        // reads, and the callback lets go of the sink.
        released = shared_->LetGoOfSink();
    } else {
        // Closing waits for a callback under way; none comes after it.
        jack_client_close(client_);
        delete shared_;
    }
    client_ = nullptr;
    probed_ = false;
    shared_ = nullptr;
    started_ = false;
    lost_ = false;
    return released;
}

}  // namespace tamberline
