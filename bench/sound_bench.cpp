// Figures of the sound system: mixing cost, unpause latency, memory per
// stream. Prints them; it asserts nothing.
//
//   sound_bench            offline figures
//   sound_bench --jack     also trigger to first sample through our JACK client
//                          on JACK, 1,000 starts with 0 and 300 busy voices
//                          (needs the JACK dummy server of the test services)
// The slow disk of the streaming figure is a reader that hands out 20 MB/s
// among all reads (the engine's FileReader), not a device limit.

#include <malloc.h>
#include <sndfile.h>
#include <time.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "jack_recorder.h"
#include "playback/engine_outputs.h"
#include "playback/sound/offline_backend.h"
#include "playback/sound/portaudio_backend.h"
#include "playback/sound/sound_system.h"

using namespace tamberline;

namespace {

constexpr int kRate = 48000;
constexpr int kPeriod = 256;

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string WriteTone(const std::string& folder, int rate, double seconds) {
    const std::string path = folder + "/tone" + std::to_string(rate) + ".wav";
    SF_INFO info{};
    info.channels = 2;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    const auto frames = static_cast<sf_count_t>(seconds * rate);
    std::vector<float> data(static_cast<size_t>(frames) * 2);
    for (sf_count_t i = 0; i < frames; ++i) {
        // A cosine: the very first sample is already sound, for the latency figures.
        const float v = 0.25f * static_cast<float>(std::cos(2.0 * M_PI * 440.0 * i / rate));
        data[static_cast<size_t>(2 * i)] = v;
        data[static_cast<size_t>(2 * i + 1)] = -v;
    }
    sf_writef_float(f, data.data(), frames);
    sf_close(f);
    return path;
}

struct Offline {
    SoundSystem system;
    OfflineBackend* backend = nullptr;
    Offline() {
        auto b = std::make_unique<OfflineBackend>(kRate, kPeriod);
        backend = b.get();
        system.SetOutputBackend(std::move(b));
        system.Init(336);
    }
};

// CPU seconds per second of audio for the mixer (the audio callback) and the
// decoder (the streaming thread), each measured on its own.
void MixingCost(const std::string& path, int voices, double varispeed, int fileRate) {
    Offline engine;
    for (int v = 0; v < voices; ++v) {
        SoundId sound;
        ChannelId ch;
        engine.system.CreateStream(path, LoopMode::kNormal, sound);
        engine.system.PlaySound(sound, true, ch);
        engine.system.SetFrequency(ch, static_cast<float>(fileRate * varispeed / 100.0));
        engine.system.SetVolume(ch, 0.5f);
        engine.system.SetPaused(ch, false);
    }
    std::vector<float> out(kPeriod * kSpeakerCount);
    const int periods = 10 * kRate / kPeriod;  // ten seconds of audio
    double mix = 0;
    double decode = 0;
    for (int p = 0; p < periods; ++p) {
        const double t0 = ThreadCpuSeconds();
        engine.backend->Decode();
        const double t1 = ThreadCpuSeconds();
        engine.backend->Mix(out.data(), kPeriod);
        const double t2 = ThreadCpuSeconds();
        decode += t1 - t0;
        mix += t2 - t1;
    }
    const double seconds = static_cast<double>(periods) * kPeriod / kRate;
    std::printf(
        "  %3d voices, %5d Hz file, varispeed %3.0f: mixer %6.2f %% of a core, decoder %6.2f %%\n",
        voices, fileRate, varispeed, 100.0 * mix / seconds, 100.0 * decode / seconds);
}

void OfflineLatency(const std::string& path) {
    Offline engine;
    SoundId sound;
    ChannelId ch;
    engine.system.CreateStream(path, LoopMode::kOff, sound);
    engine.system.PlaySound(sound, true, ch);
    std::vector<float> out(kPeriod * kSpeakerCount);
    engine.backend->Render(out.data(), kPeriod);  // a period while paused
    engine.system.SetPaused(ch, false);
    for (int frames = 0; frames < 10 * kPeriod; frames += kPeriod) {
        engine.backend->Render(out.data(), kPeriod);
        for (int i = 0; i < kPeriod; ++i) {
            if (out[static_cast<size_t>(i) * kSpeakerCount] != 0.0f) {
                std::printf(
                    "  offline: first sound %d frames after the unpause "
                    "(period %d: the next period)\n",
                    frames + i, kPeriod);
                return;
            }
        }
    }
    std::printf("  offline: no sound\n");
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

// Trigger to first sample through our JACK client: a cue opened and played
// at once (what a start does), from the call to the first recorded sample of
// it, over `trials` starts while `busy` looping voices play on the other
// speakers. 0 ms: heard in the first period the server ran after the call.
void JackLatency(const std::string& folder, int trials) {
    testing::JackRecorder recorder(trials * 0.035 * 2 + 4.0);
    if (!recorder.Open()) {
        std::printf("  JACK: no server\n");
        return;
    }
    const std::string player = "tamberline-bench-" + std::to_string(::getpid());
    SoundSystem system;
    if (!testing::StartEngineOnJack(system, recorder, player)) {
        std::printf("  JACK: the engine did not start\n");
        return;
    }
    const std::string path = WriteTone(folder, 48000, 1.0);
    const double period = 256.0 / recorder.Rate() * 1000.0;
    for (int busy : {0, 300}) {
        std::vector<SoundId> load;
        for (int v = 0; v < busy; ++v) {
            SoundId sound;
            ChannelId ch;
            system.CreateStream(path, LoopMode::kNormal, sound);
            system.PlaySound(sound, true, ch);
            system.SetSpeakerMix(ch, {0, 0, 0.01f, 0.01f, 0, 0, 0, 0});
            system.SetPaused(ch, false);
            load.push_back(sound);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::vector<double> ms;
        for (int trial = 0; trial < trials; ++trial) {
            // Counted in recorded frames from the first frame not yet recorded
            // at the call: the server's clock drifts from the recording when a
            // loaded machine makes it skip cycles.
            const size_t before = recorder.Recorded();
            SoundId sound;
            ChannelId ch;
            system.CreateStream(path, LoopMode::kOff, sound);
            system.PlaySound(sound, false, ch);
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            system.ReleaseSound(sound);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const size_t after = recorder.Recorded();
            const std::vector<float>& data = recorder.Channel(0);
            for (size_t i = before; i < after; ++i) {
                if (data[i] != 0.0f) {
                    ms.push_back(static_cast<double>(i - before) * 1000.0 / recorder.Rate());
                    break;
                }
            }
        }
        for (SoundId sound : load) {
            system.ReleaseSound(sound);
        }
        if (ms.empty()) {
            std::printf("  %3d busy voices: no sound heard\n", busy);
            continue;
        }
        std::printf(
            "  %3d busy voices, %zu of %d starts heard: median %.2f ms, 99th percentile %.2f ms "
            "(target: period %.2f ms + 1 ms)\n",
            busy, ms.size(), trials, Percentile(ms, 0.5), Percentile(ms, 0.99), period);
    }
}

// A disk of `bytesPerSecond`, shared by every read: each read waits its turn.
class ThrottledReader final : public FileReader {
public:
    explicit ThrottledReader(double bytesPerSecond) : rate_(bytesPerSecond) {}
    ssize_t ReadAt(int fd, void* out, size_t count, int64_t offset) override {
        std::chrono::steady_clock::time_point until;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            const auto now = std::chrono::steady_clock::now();
            free_ = std::max(free_, now);
            free_ += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(static_cast<double>(count) / rate_));
            until = free_;
        }
        std::this_thread::sleep_until(until);
        return PosixFileReader().ReadAt(fd, out, count, offset);
    }

private:
    double rate_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point free_{};
};

// 336 voices streaming at once from a disk throttled to 20 MB/s, mixed at
// the pace of a real device: how often a voice runs dry.
void ThrottledUnderruns(const std::string& folder, int seconds) {
    const std::string path = folder + "/mono22050.wav";
    {
        SF_INFO info{};
        info.channels = 1;
        info.samplerate = 22050;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
        std::vector<float> data(static_cast<size_t>(22050 * (seconds + 5)));
        for (size_t i = 0; i < data.size(); ++i) {
            data[i] = 0.1f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / 22050.0));
        }
        sf_writef_float(f, data.data(), static_cast<sf_count_t>(data.size()));
        sf_close(f);
    }
    constexpr double kDiskBytesPerSecond = 20e6;
    auto backend = std::make_unique<OfflineBackend>(kRate, kPeriod, true);
    OfflineBackend* device = backend.get();
    SoundSystem system;
    system.SetOutputBackend(std::move(backend));
    system.Init(336);
    system.SetFileReader(std::make_shared<ThrottledReader>(kDiskBytesPerSecond));
    std::vector<ChannelId> channels;
    for (int v = 0; v < 336; ++v) {
        SoundId sound;
        ChannelId ch;
        system.CreateStream(path, LoopMode::kOff, sound);
        system.PlaySound(sound, true, ch);
        system.SetVolume(ch, 0.01f);
        channels.push_back(ch);
    }
    // The rings fill at the disk's pace before the cues go.
    std::vector<float> out(kPeriod * kSpeakerCount);
    for (int p = 0; p < 3 * kRate / kPeriod; ++p) {
        device->Mix(out.data(), kPeriod);
        std::this_thread::sleep_for(std::chrono::microseconds(kPeriod * 1000000 / kRate));
    }
    system.StartTogether(channels);
    auto next = std::chrono::steady_clock::now();
    for (int p = 0; p < seconds * kRate / kPeriod; ++p) {
        device->Mix(out.data(), kPeriod);
        next += std::chrono::microseconds(kPeriod * 1000000 / kRate);
        std::this_thread::sleep_until(next);
    }
    uint32_t total = 0;
    int voices = 0;
    for (ChannelId ch : channels) {
        uint32_t n = 0;
        system.GetUnderruns(ch, n);
        total += n;
        voices += n > 0;
    }
    std::printf(
        "  336 mono 16-bit 22.05 kHz voices (%.1f MB/s) for %d s from a disk of %.0f MB/s: "
        "%u underruns, on %d voices\n",
        336 * 22050 * 2 / 1e6, seconds, kDiskBytesPerSecond / 1e6, total, voices);
}

void MemoryPerStream(const std::string& path) {
    Offline engine;
    std::vector<float> out(kPeriod * kSpeakerCount);
    engine.backend->Render(out.data(), kPeriod);
    const int streams = 100;
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < streams; ++i) {
        SoundId sound;
        ChannelId ch;
        engine.system.CreateStream(path, LoopMode::kNormal, sound);
        engine.system.PlaySound(sound, true, ch);
    }
    engine.backend->Render(out.data(), kPeriod);  // decoders have filled their rings
    const size_t after = mallinfo2().uordblks;
    std::printf("  %zu KiB of heap per open, playing stereo stream (%d streams)\n",
                (after - before) / streams / 1024, streams);
}

}  // namespace

int main(int argc, char** argv) {
    const bool jack = argc > 1 && std::strcmp(argv[1], "--jack") == 0;
    QTemporaryDir folder;
    const std::string tone48 = WriteTone(folder.path().toStdString(), 48000, 10.0);
    const std::string tone44 = WriteTone(folder.path().toStdString(), 44100, 10.0);

    std::printf("Mixing cost, CPU time per second of audio, 48 kHz output, stereo voices:\n");
    for (int voices : {1, 32, 336}) {
        MixingCost(tone48, voices, 100, 48000);
        MixingCost(tone48, voices, 97, 48000);
        MixingCost(tone44, voices, 100, 44100);
    }
    std::printf("Latency, unpause to the first non-zero sample:\n");
    OfflineLatency(tone48);
    if (jack) {
        std::printf("Trigger to first sample on JACK (period 256 at 48 kHz):\n");
        JackLatency(folder.path().toStdString(), 1000);
    }
    std::printf("Streaming through a slow disk:\n");
    ThrottledUnderruns(folder.path().toStdString(), 20);
    std::printf("Memory:\n");
    MemoryPerStream(tone48);
    return 0;
}
