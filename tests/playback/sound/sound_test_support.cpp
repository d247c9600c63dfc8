#include "sound_test_support.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace tamberline::testing {

ssize_t GatedReader::ReadAt(int fd, void* out, size_t count, int64_t offset) {
    while (shut.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (failFrom.load() >= 0 && offset + static_cast<int64_t>(count) > failFrom.load()) {
        return -1;
    }
    return PosixFileReader().ReadAt(fd, out, count, offset);
}

std::string WriteWav16(const TempDir& dir, const std::string& name, int channels, int rate,
                       int64_t frames, const std::function<int16_t(int64_t, int)>& sample) {
    const std::string path = dir.File(name);
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<int16_t> data(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            data[static_cast<size_t>(i * channels + c)] = sample(i, c);
        }
    }
    sf_writef_short(f, data.data(), frames);
    sf_close(f);
    return path;
}

std::string WriteMarkerFile(const TempDir& dir, const std::string& name, int format, int channels,
                            int rate, int64_t frames) {
    const std::string path = dir.File(name);
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << name << ": " << sf_strerror(nullptr);
    if (f == nullptr) {
        return path;
    }
    const int subtype = format & SF_FORMAT_SUBMASK;
    if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE) {
        std::vector<float> data(static_cast<size_t>(frames * channels));
        for (int64_t i = 0; i < frames; ++i) {
            for (int c = 0; c < channels; ++c) {
                data[static_cast<size_t>(i * channels + c)] = MarkerFloat(i, c);
            }
        }
        sf_writef_float(f, data.data(), frames);
    } else {
        // Ints carry the 16-bit marker in their top bits, so every integer
        // width reads back as the same float.
        std::vector<int> data(static_cast<size_t>(frames * channels));
        for (int64_t i = 0; i < frames; ++i) {
            for (int c = 0; c < channels; ++c) {
                data[static_cast<size_t>(i * channels + c)] = int{Marker(i, c)} * 65536;
            }
        }
        sf_writef_int(f, data.data(), frames);
    }
    sf_close(f);
    return path;
}

std::string WriteSineFile(const TempDir& dir, const std::string& name, int format, int channels,
                          int rate, int64_t frames, double amplitude, double hz) {
    const std::string path = dir.File(name);
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << name << ": " << sf_strerror(nullptr);
    if (f == nullptr) {
        return path;
    }
    std::vector<float> data(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c) {
            data[static_cast<size_t>(i * channels + c)] = static_cast<float>(v);
        }
    }
    sf_writef_float(f, data.data(), frames);
    sf_close(f);
    return path;
}

void OfflineSound::SetUp() {
    auto backend = std::make_unique<OfflineBackend>(48000, 256);
    offline_ = backend.get();
    ASSERT_EQ(system_.SetOutputBackend(std::move(backend)), SoundResult::kOk);
    ASSERT_EQ(system_.Init(336), SoundResult::kOk);
}

std::vector<float> OfflineSound::Render(int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * kSpeakerCount, -99.0f);
    EXPECT_TRUE(offline_->Render(out.data(), frames));
    return out;
}

std::vector<float> OfflineSound::Speaker(const std::vector<float>& block, int speaker) {
    std::vector<float> out;
    for (size_t i = static_cast<size_t>(speaker); i < block.size(); i += kSpeakerCount) {
        out.push_back(block[i]);
    }
    return out;
}

SoundId OfflineSound::Stream(const std::string& path, LoopMode loop) {
    SoundId sound;
    EXPECT_EQ(system_.CreateStream(path, loop, sound), SoundResult::kOk) << path;
    return sound;
}

ChannelId OfflineSound::Play(SoundId sound, bool paused) {
    ChannelId channel;
    EXPECT_EQ(system_.PlaySound(sound, paused, channel), SoundResult::kOk);
    return channel;
}

}  // namespace tamberline::testing
