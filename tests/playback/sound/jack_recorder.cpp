#include "jack_recorder.h"

#include "playback/engine_outputs.h"
#include "playback/sound/jack_backend.h"
#include "playback/sound/sound_system.h"

#include <unistd.h>
#include <algorithm>
#include <cstring>
#include <memory>

namespace tamberline::testing {

int JackSystemDriver(const std::vector<std::string>& drivers) {
    int jack = -1;
    for (size_t i = 0; i < drivers.size(); ++i) {
        if (drivers[i].rfind("system (JACK", 0) == 0) {
            jack = static_cast<int>(i);
        }
    }
    return jack;
}

bool StartEngineOnJack(SoundSystem& system, JackRecorder& recorder, const std::string& player) {
    auto backend = std::make_unique<JackBackend>(player);
    const int jack = JackSystemDriver(EngineDriverNames(*backend));
    system.SetOutputBackend(std::move(backend));
    return jack >= 0 && system.SetDriver(jack) == SoundResult::kOk &&
           system.Init(336) == SoundResult::kOk && recorder.FollowPlaybackPorts(player);
}

JackRecorder::JackRecorder(double seconds)
    : data_(kPorts, std::vector<float>(static_cast<size_t>(seconds * 48000.0))) {}

JackRecorder::~JackRecorder() {
    Stop();
    if (client_ != nullptr) {
        jack_client_close(client_);
    }
}

bool JackRecorder::Open() {
    client_ = jack_client_open("tamberline-recorder", JackNoStartServer, nullptr);
    if (client_ == nullptr) {
        return false;
    }
    for (int i = 0; i < kPorts; ++i) {
        const std::string name = "in_" + std::to_string(i + 1);
        ports_[i] =
            jack_port_register(client_, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (ports_[i] == nullptr) {
            return false;
        }
    }
    jack_set_process_callback(client_, &JackRecorder::Process, this);
    jack_set_xrun_callback(client_, &JackRecorder::Xrun, this);
    if (jack_activate(client_) != 0) {
        return false;
    }
    active_ = true;
    return true;
}

bool JackRecorder::FollowPlaybackPorts(const std::string& player) {
    for (int i = 0; i < kPorts; ++i) {
        const std::string playback = "system:playback_" + std::to_string(i + 1);
        jack_port_t* port = jack_port_by_name(client_, playback.c_str());
        if (port == nullptr) {
            return false;
        }
        // The player connects its ports when its stream starts; give it a moment.
        const char** sources = nullptr;
        for (int attempt = 0; attempt < 200 && sources == nullptr; ++attempt) {
            sources = jack_port_get_all_connections(client_, port);
            if (sources == nullptr) {
                usleep(10000);
            }
        }
        if (sources == nullptr) {
            return false;
        }
        for (const char** s = sources; *s != nullptr; ++s) {
            // Only the player's ports: other programs may share the server.
            const std::string source = *s;
            if (source.substr(0, source.find(':')) == player) {
                jack_connect(client_, *s, jack_port_name(ports_[i]));
            }
        }
        jack_free(sources);
    }
    recording_.store(true, std::memory_order_release);
    return true;
}

void JackRecorder::Stop() {
    if (active_) {
        jack_deactivate(client_);
        active_ = false;
    }
}

jack_nframes_t JackRecorder::Rate() const {
    return jack_get_sample_rate(client_);
}

jack_nframes_t JackRecorder::PeriodFrames() const {
    return jack_get_buffer_size(client_);
}

jack_nframes_t JackRecorder::FrameTime() const {
    return jack_frame_time(client_);
}

void JackRecorder::MarkGap(size_t frame) {
    const int slot = gapCount_.fetch_add(1, std::memory_order_acq_rel);
    if (slot < kMaxGaps) {
        gaps_[static_cast<size_t>(slot)].store(frame, std::memory_order_release);
    }
}

bool JackRecorder::NearGap(size_t frame, size_t window) const {
    const int count = std::min(gapCount_.load(std::memory_order_acquire), kMaxGaps);
    if (gapCount_.load(std::memory_order_acquire) > kMaxGaps) {
        return true;  // too many to tell: nothing can be judged
    }
    for (int i = 0; i < count; ++i) {
        const size_t gap = gaps_[static_cast<size_t>(i)].load(std::memory_order_acquire);
        if (frame + window >= gap && frame <= gap + window) {
            return true;
        }
    }
    return false;
}

int JackRecorder::Xrun(void* self) {
    auto* r = static_cast<JackRecorder*>(self);
    if (r->recording_.load(std::memory_order_acquire)) {
        // Told on the server's notification thread, about when it happened.
        const jack_nframes_t now = jack_frame_time(r->client_);
        const jack_nframes_t start = r->StartTime();
        r->MarkGap(r->Recorded() == 0 ? 0 : static_cast<size_t>(now - start));
        r->xruns_.fetch_add(1, std::memory_order_acq_rel);
    }
    return 0;
}

int JackRecorder::Process(jack_nframes_t frames, void* self) {
    auto* r = static_cast<JackRecorder*>(self);
    if (!r->recording_.load(std::memory_order_acquire)) {
        return 0;
    }
    size_t at = r->recorded_.load(std::memory_order_relaxed);
    const jack_nframes_t now = jack_last_frame_time(r->client_);
    if (at == 0) {
        r->startTime_.store(now, std::memory_order_release);
    } else {
        // A cycle this client missed is kept as silence, so that frame N of
        // the take is always server frame StartTime() + N.
        const size_t due = std::min<size_t>(now - r->StartTime(), r->data_[0].size());
        const size_t gap = due > at ? due - at : 0;
        if (gap > 0) {
            r->MarkGap(at);
        }
        for (auto& channel : r->data_) {
            std::fill_n(channel.begin() + static_cast<std::ptrdiff_t>(at), gap, 0.0f);
        }
        at += gap;
    }
    const size_t n = std::min<size_t>(frames, r->data_[0].size() - at);
    for (int i = 0; i < kPorts; ++i) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(r->ports_[i], frames));
        std::memcpy(r->data_[static_cast<size_t>(i)].data() + at, in, n * sizeof(float));
    }
    r->recorded_.store(at + n, std::memory_order_release);
    return 0;
}

}  // namespace tamberline::testing
