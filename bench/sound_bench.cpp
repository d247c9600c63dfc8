// Figures of the sound system: mixing cost, unpause latency, memory per
// stream. Prints them; it asserts nothing.
//
//   sound_bench            offline figures
//   sound_bench --jack     also the latency through PortAudio on JACK
//                          (needs the JACK dummy server of the test services)

#include <malloc.h>
#include <sndfile.h>
#include <time.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
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

void JackLatency(const std::string& folder) {
    testing::JackRecorder recorder(4.0);
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
    // The period that carries the first sound starts this many frames after
    // the call (jack_frame_time's estimate, so about a frame either way):
    // under one period means the next period.
    std::printf("  JACK (period 256 at 48 kHz), frames from unpause to the first sound:");
    for (int trial = 0; trial < 5; ++trial) {
        SoundId sound;
        ChannelId ch;
        system.CreateStream(path, LoopMode::kOff, sound);
        system.PlaySound(sound, true, ch);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const size_t before = recorder.Recorded();
        const jack_nframes_t unpaused = recorder.FrameTime();
        system.SetPaused(ch, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        system.ReleaseSound(sound);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const size_t after = recorder.Recorded();
        const std::vector<float>& data = recorder.Channel(0);
        for (size_t i = before; i < after; ++i) {
            if (data[i] != 0.0f) {
                const jack_nframes_t heard = recorder.StartTime() + static_cast<jack_nframes_t>(i);
                std::printf(" %d", static_cast<int>(heard - unpaused));
                break;
            }
        }
    }
    std::printf("\n");
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
        JackLatency(folder.path().toStdString());
    }
    std::printf("Memory:\n");
    MemoryPerStream(tone48);
    return 0;
}
