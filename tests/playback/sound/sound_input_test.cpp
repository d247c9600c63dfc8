// Files the sound system is given: the formats it decodes, damaged files,
// lengths, and what happens to handles and channels around them.

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstring>

#include <QFile>

#include "playback/sound/media_length.h"
#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

using SoundInput = OfflineSound;

// Little-endian bytes of a canonical 16-bit PCM WAVE header.
std::string WavHeader(uint16_t channels, uint32_t rate, uint32_t dataBytes) {
    auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    const uint16_t align = static_cast<uint16_t>(channels * 2);
    return "RIFF" + u32(36 + dataBytes) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(channels) +
           u32(rate) + u32(rate * align) + u16(align) + u16(16) + "data" + u32(dataBytes);
}

TEST_F(SoundInput, EveryFormatTheLibraryReadsPlaysWithItsLength) {
    struct Case {
        const char* name;
        int format;
        SoundType type;
        bool lossless;
    };
    const Case cases[] = {
        {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, SoundType::kWav,
         false},  // 8 bits lose the marker
        {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, SoundType::kWav, true},
        {"s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, SoundType::kWav, true},
        {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, SoundType::kWav, true},
        {"f32.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, SoundType::kWav, true},
        {"s16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, SoundType::kAiff, true},
        {"s16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, SoundType::kFlac, true},
        {"v.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, SoundType::kOgg, false},
        {"o.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, SoundType::kOgg, false},
        {"m.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, SoundType::kMpeg, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Lossy codecs cannot keep the marker ramp: they get a 1 kHz sine.
        const std::string path =
            c.lossless ? WriteMarkerFile(dir_, c.name, c.format, 2, 48000, 24000)
                       : WriteSineFile(dir_, c.name, c.format, 2, 48000, 24000, 0.5, 1000.0);
        const SoundId sound = Stream(path);
        SoundFormatInfo format;
        ASSERT_EQ(system_.GetFormat(sound, format), SoundResult::kOk);
        EXPECT_EQ(format.type, c.type);
        EXPECT_EQ(format.channels, 2);
        uint32_t ms = 0;
        ASSERT_EQ(system_.GetLength(sound, TimeUnit::kMs, ms), SoundResult::kOk);
        EXPECT_EQ(ms, 500u);
        EXPECT_EQ(AudioEngineMediaLength(path), 500);
        const ChannelId ch = Play(sound);
        const std::vector<float> left = Speaker(Render(24576), 0);
        if (c.lossless) {
            for (int64_t i = 0; i < 24000; ++i) {
                ASSERT_EQ(left[static_cast<size_t>(i)], MarkerFloat(i, 0)) << i;
            }
        } else {
            double energy = 0;
            for (size_t i = 4000; i < 20000; ++i) {
                energy += left[i] * left[i];
            }
            EXPECT_NEAR(std::sqrt(energy / 16000), 0.5 / std::sqrt(2.0), 0.05);
        }
        bool playing = true;
        EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
        EXPECT_FALSE(playing);
        EXPECT_EQ(system_.ReleaseSound(sound), SoundResult::kOk);
    }
}

TEST_F(SoundInput, DamagedFilesAreRefusedWithoutHarm) {
    std::string noise(4096, '\0');
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    }
    const struct {
        const char* name;
        std::string bytes;
        SoundResult result;
    } cases[] = {
        {"empty.wav", "", SoundResult::kErrFileBad},
        {"header-only.wav", WavHeader(2, 48000, 0), SoundResult::kErrFileBad},
        {"cut-header.wav", WavHeader(2, 48000, 400).substr(0, 30), SoundResult::kErrFileBad},
        {"no-channels.wav", WavHeader(0, 48000, 400) + std::string(400, '\1'),
         SoundResult::kErrFileBad},
        {"no-rate.wav", WavHeader(2, 0, 400) + std::string(400, '\1'), SoundResult::kErrFileBad},
        {"noise.mp3", noise, SoundResult::kErrFileBad},
        {"RIFF-noise.wav", "RIFF" + noise, SoundResult::kErrFileBad},
    };
    for (const auto& c : cases) {
        SoundId sound;
        const SoundResult r =
            system_.CreateStream(dir_.Write(c.name, c.bytes), LoopMode::kOff, sound);
        EXPECT_EQ(r, c.result) << c.name;
        EXPECT_FALSE(sound) << c.name;
        EXPECT_EQ(AudioEngineMediaLength(dir_.File(c.name)), 0) << c.name;
    }
    SoundId sound;
    EXPECT_EQ(system_.CreateStream(dir_.File("missing.wav"), LoopMode::kOff, sound),
              SoundResult::kErrFileNotFound);
    EXPECT_EQ(system_.CreateStream(dir_.Path(), LoopMode::kOff, sound),
              SoundResult::kErrFileNotFound);
    EXPECT_EQ(AudioEngineMediaLength(dir_.File("missing.wav")), 0);
}

// Files that declare more than they hold: a data chunk far larger than the
// file, compressed files cut in half. What is there plays, then the channel
// ends at once instead of waiting for frames that never come.
TEST_F(SoundInput, TruncatedFilesPlayWhatTheyHoldAndEnd) {
    std::string pcm;
    for (int i = 0; i < 1000; ++i) {
        const int16_t v = 1000;
        pcm.append(reinterpret_cast<const char*>(&v), 2);
    }
    auto halve = [&](const std::string& name, int format) {
        const std::string whole =
            WriteSineFile(dir_, "whole-" + name, format, 2, 48000, 96000, 0.5, 440.0);
        QFile file(QString::fromStdString(whole));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        return dir_.Write(name, bytes.left(bytes.size() / 2).toStdString());
    };
    const std::string files[] = {
        dir_.Write("huge.wav", WavHeader(1, 48000, 0xFFFFFFF0u) + pcm),
        halve("half.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16),
        halve("half.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III),
    };
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const ChannelId ch = Play(Stream(path));
        Render(48000);
        bool playing = true;
        ASSERT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
        EXPECT_FALSE(playing) << "ended where the data ends, before the length declared";
    }
}

TEST_F(SoundInput, MediaLengthRoundsUpToHalfSeconds) {
    const struct {
        int64_t frames;
        int rate;
        int32_t ms;
    } cases[] = {
        {24000, 48000, 500},  {24047, 48000, 500}, {24048, 48000, 1000},       {59232, 48000, 1500},
        {44100, 44100, 1000}, {1, 48000, 500},     {48000 * 61, 48000, 61000},
    };
    for (const auto& c : cases) {
        const std::string path = WriteWav16(dir_, "len.wav", 1, c.rate, c.frames,
                                            [](int64_t, int) -> int16_t { return 1; });
        EXPECT_EQ(AudioEngineMediaLength(path), c.ms) << c.frames << " at " << c.rate;
    }
}

TEST_F(SoundInput, ChannelsRunOutAndComeBackWhenTheirSoundsEnd) {
    SoundSystem small;
    auto backend = std::make_unique<OfflineBackend>();
    OfflineBackend* offline = backend.get();
    ASSERT_EQ(small.SetOutputBackend(std::move(backend)), SoundResult::kOk);
    ASSERT_EQ(small.Init(2), SoundResult::kOk);
    const std::string path =
        WriteWav16(dir_, "short.wav", 1, 48000, 100, [](int64_t, int) -> int16_t { return 5; });
    SoundId sounds[3];
    ChannelId channels[3];
    for (SoundId& s : sounds) {
        ASSERT_EQ(small.CreateStream(path, LoopMode::kOff, s), SoundResult::kOk);
    }
    ASSERT_EQ(small.PlaySound(sounds[0], false, channels[0]), SoundResult::kOk);
    ASSERT_EQ(small.PlaySound(sounds[1], true, channels[1]), SoundResult::kOk);
    EXPECT_EQ(small.PlaySound(sounds[2], false, channels[2]), SoundResult::kErrChannelAlloc);
    std::vector<float> out(256 * 8);
    offline->Render(out.data(), 256);  // the first one plays out
    // The first call lets the ended channel go, the next finds it free.
    EXPECT_EQ(small.PlaySound(sounds[2], false, channels[2]), SoundResult::kErrChannelAlloc);
    offline->Render(out.data(), 256);
    EXPECT_EQ(small.PlaySound(sounds[2], false, channels[2]), SoundResult::kOk);
    bool playing = true;
    EXPECT_EQ(small.IsPlaying(channels[0], playing), SoundResult::kErrInvalidHandle);
    EXPECT_FALSE(playing);
    EXPECT_EQ(small.IsPlaying(channels[1], playing), SoundResult::kOk);
    EXPECT_TRUE(playing);
}

TEST_F(SoundInput, PlayingAStreamAgainEndsItsEarlierChannel) {
    const SoundId sound = Stream(
        WriteWav16(dir_, "a.wav", 1, 48000, 48000, [](int64_t, int) -> int16_t { return 5; }));
    const ChannelId first = Play(sound);
    Render(256);
    const ChannelId second = Play(sound, true);
    float volume = 0;
    EXPECT_EQ(system_.GetVolume(first, volume), SoundResult::kErrInvalidHandle);
    EXPECT_EQ(system_.GetVolume(second, volume), SoundResult::kOk);
    Render(256);  // the old channel fades out
    for (float v : Render(256)) {
        ASSERT_EQ(v, 0.0f) << "the new channel starts paused, the old one is gone";
    }
    EXPECT_EQ(system_.ReleaseSound(sound), SoundResult::kOk);
    EXPECT_EQ(system_.SetPaused(second, false), SoundResult::kErrInvalidHandle);
    EXPECT_EQ(system_.ReleaseSound(sound), SoundResult::kErrInvalidHandle);
}

TEST_F(SoundInput, ValuesOutOfRangeAreRefused) {
    const ChannelId ch = Play(Stream(WriteWav16(dir_, "a.wav", 2, 48000, 4800,
                                                [](int64_t, int) -> int16_t { return 5; })),
                              true);
    const float levels[2] = {1.0f, NAN};
    const struct {
        const char* what;
        SoundResult result;
    } cases[] = {
        {"frequency 0", system_.SetFrequency(ch, 0.0f)},
        {"frequency past 16 x", system_.SetFrequency(ch, 48000.0f * 17)},
        {"speaker 8", system_.SetSpeakerLevels(ch, 8, levels, 1)},
        {"NaN level", system_.SetSpeakerLevels(ch, 0, levels, 2)},
        {"no levels", system_.SetSpeakerLevels(ch, 0, levels, 0)},
        {"loop count -2", system_.SetLoopCount(ch, -2)},
        {"empty loop", system_.SetLoopPoints(ch, 100, 100)},
        {"loop past the end", system_.SetLoopPoints(ch, 0, 4801)},
        {"NaN volume", system_.SetVolume(ch, NAN)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, SoundResult::kErrInvalidParam) << c.what;
    }
    EXPECT_EQ(system_.SetVolume(ch, 3.0f), SoundResult::kOk);
    float volume = 0;
    EXPECT_EQ(system_.GetVolume(ch, volume), SoundResult::kOk);
    EXPECT_EQ(volume, 1.0f) << "clamped";
}

}  // namespace
}  // namespace tamberline::testing
