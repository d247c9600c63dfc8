// Raw stretches of a file and user streams whose sub-sounds play as a
// sentence, the way a WAV file's play list is played in segments.

#include <cstring>

#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

constexpr int64_t kHeaderBytes = 100;
constexpr int64_t kBlockAlign = 4;  // 16-bit stereo

class SoundSentence : public OfflineSound {
protected:
    void SetUp() override {
        OfflineSound::SetUp();
        // A header to skip, then 16-bit stereo Marker frames.
        std::string bytes(kHeaderBytes, '\x7f');
        for (int64_t f = 0; f < 40000; ++f) {
            for (int c = 0; c < 2; ++c) {
                const int16_t v = Marker(f, c);
                bytes.append(reinterpret_cast<const char*>(&v), 2);
            }
        }
        path_ = dir_.Write("segments.wav", bytes);
    }

    // The frames [start, end) of the file as a raw stream.
    SoundId Segment(int64_t start, int64_t end) {
        RawStreamInfo info;
        info.fileOffset = kHeaderBytes + kBlockAlign * start;
        info.length = kBlockAlign * (end - start);
        info.channels = 2;
        info.sampleRate = 48000;
        info.format = SoundFormat::kPcm16;
        SoundId sound;
        EXPECT_EQ(system_.CreateRawStream(path_, info, LoopMode::kOff, sound), SoundResult::kOk);
        return sound;
    }

    SoundId Sentence(SoundId first, SoundId second) {
        UserStreamInfo info;
        info.channels = 2;
        info.sampleRate = 48000;
        info.format = SoundFormat::kPcm16;
        info.subSoundCount = 2;
        SoundId parent;
        EXPECT_EQ(system_.CreateUserStream(info, LoopMode::kNormal, parent), SoundResult::kOk);
        EXPECT_EQ(system_.SetSubSound(parent, 0, first), SoundResult::kOk);
        EXPECT_EQ(system_.SetSubSound(parent, 1, second), SoundResult::kOk);
        EXPECT_EQ(system_.SetSubSoundSentence(parent, {0, 1}), SoundResult::kOk);
        return parent;
    }

    std::string path_;
};

// Frames the left channel should carry: each range of file frames in turn.
std::vector<float> Frames(std::initializer_list<std::pair<int64_t, int64_t>> ranges) {
    std::vector<float> out;
    for (const auto& [from, to] : ranges) {
        for (int64_t f = from; f < to; ++f) {
            out.push_back(MarkerFloat(f, 0));
        }
    }
    return out;
}

void ExpectPrefix(const std::vector<float>& got, const std::vector<float>& want) {
    ASSERT_GE(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(got[i], want[i]) << "frame " << i;
    }
}

TEST_F(SoundSentence, ARawStretchPlaysExactlyItsBytes) {
    // 1000 frames and 3 bytes: the part frame at the end is not played.
    RawStreamInfo info;
    info.fileOffset = kHeaderBytes + kBlockAlign * 500;
    info.length = kBlockAlign * 1000 + 3;
    info.channels = 2;
    info.sampleRate = 48000;
    SoundId sound;
    ASSERT_EQ(system_.CreateRawStream(path_, info, LoopMode::kOff, sound), SoundResult::kOk);
    uint32_t frames = 0;
    EXPECT_EQ(system_.GetLength(sound, TimeUnit::kPcm, frames), SoundResult::kOk);
    EXPECT_EQ(frames, 1000u);
    Play(sound);
    const std::vector<float> out = Render(1280);
    std::vector<float> want = Frames({{500, 1500}});
    want.resize(1280, 0.0f);
    ExpectPrefix(Speaker(out, 0), want);
    EXPECT_EQ(out[999 * 8 + 1], MarkerFloat(1499, 1));
}

TEST_F(SoundSentence, RawSampleFormatsAreReadAsAWaveFileStoresThem) {
    struct Case {
        SoundFormat format;
        std::string bytes;  // one mono frame
        float value;
    };
    const Case cases[] = {
        {SoundFormat::kPcm8, std::string("\xc0", 1), 0.5f},  // unsigned, 128 is zero
        {SoundFormat::kPcm16, std::string("\x00\xc0", 2), -0.5f},
        {SoundFormat::kPcm24, std::string("\x00\x00\x40", 3), 0.5f},
        {SoundFormat::kPcm32, std::string("\x00\x00\x00\xe0", 4), -0.25f},
        {SoundFormat::kPcmFloat, std::string("\x00\x00\x40\x3f", 4), 0.75f},
    };
    for (const Case& c : cases) {
        std::string file = "xx";
        for (int i = 0; i < 300; ++i) {
            file += c.bytes;
        }
        const std::string path = dir_.Write("raw" + std::to_string(c.bytes.size()), file);
        RawStreamInfo info{2, static_cast<int64_t>(file.size() - 2), 1, 48000, c.format};
        SoundId sound;
        ASSERT_EQ(system_.CreateRawStream(path, info, LoopMode::kOff, sound), SoundResult::kOk);
        const ChannelId ch = Play(sound);
        EXPECT_FLOAT_EQ(Speaker(Render(256), 0)[10], c.value) << c.bytes.size() << " bytes";
        EXPECT_EQ(system_.ReleaseSound(sound), SoundResult::kOk);
        bool playing = true;
        EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kErrInvalidHandle);
        EXPECT_FALSE(playing);
        Render(256);  // its fade-out
    }
}

TEST_F(SoundSentence, RawStretchesOutsideTheFileAreRefused) {
    const struct {
        int64_t offset;
        int64_t length;
        SoundResult result;
    } cases[] = {
        {kHeaderBytes, 4 * 40001, SoundResult::kErrFileBad},
        {1 << 30, 4, SoundResult::kErrFileBad},
        {kHeaderBytes, 3, SoundResult::kErrFileBad},
        {kHeaderBytes, 0, SoundResult::kErrInvalidParam},
        {-4, 8, SoundResult::kErrInvalidParam},
    };
    for (const auto& c : cases) {
        RawStreamInfo info{c.offset, c.length, 2, 48000, SoundFormat::kPcm16};
        SoundId sound;
        EXPECT_EQ(system_.CreateRawStream(path_, info, LoopMode::kOff, sound), c.result)
            << c.offset << " + " << c.length;
        EXPECT_FALSE(sound);
    }
}

TEST_F(SoundSentence, ASentencePlaysItsSubSoundsInOrderAndRepeats) {
    const SoundId parent = Sentence(Segment(0, 300), Segment(1000, 1200));
    uint32_t length = 0;
    EXPECT_EQ(system_.GetLength(parent, TimeUnit::kPcm, length), SoundResult::kOk);
    EXPECT_EQ(length, 500u);
    int count = 0;
    EXPECT_EQ(system_.GetNumSubSounds(parent, count), SoundResult::kOk);
    EXPECT_EQ(count, 2);
    const ChannelId ch = Play(parent);
    ExpectPrefix(Speaker(Render(924), 0), Frames({{0, 300}, {1000, 1200}, {0, 300}, {1000, 1124}}));
    uint32_t index = 9;
    EXPECT_EQ(system_.GetPosition(ch, index, TimeUnit::kSubSound), SoundResult::kOk);
    EXPECT_EQ(index, 1u);
    uint32_t ms = 0;
    EXPECT_EQ(system_.GetPosition(ch, ms, TimeUnit::kMs), SoundResult::kOk);
    EXPECT_EQ(ms, (300u + 124u) * 1000u / 48000u) << "from the start of this pass";
}

// The run control's segment streaming: every tick it asks which sub-sound
// is heard; when that changed, the other one has finished, is released and
// the next segment is queued in its place; after the last one the loop is
// switched off so that the sentence ends after the sub-sound heard. The
// read-ahead is longer than a segment, so replaced sub-sounds have already
// been decoded in their old form when they are replaced.
TEST_F(SoundSentence, SegmentsQueuedWhileTheOtherPlaysAreHeardInTurn) {
    const std::pair<int64_t, int64_t> segments[] = {
        {0, 6000}, {10000, 16000}, {20000, 27000}, {30000, 36000}, {5000, 11000}};
    const SoundId parent = Sentence(Segment(segments[0].first, segments[0].second),
                                    Segment(segments[1].first, segments[1].second));
    const ChannelId ch = Play(parent);
    size_t next = 2;
    uint32_t heard = 0;
    std::vector<float> out;
    bool playing = true;
    for (int tick = 0; tick < 40 && playing; ++tick) {
        const std::vector<float> block = Speaker(Render(4800), 0);
        out.insert(out.end(), block.begin(), block.end());
        uint32_t index = 0;
        ASSERT_EQ(system_.GetPosition(ch, index, TimeUnit::kSubSound), SoundResult::kOk);
        if (index != heard) {
            const int finished = static_cast<int>(heard);
            SoundId old;
            ASSERT_EQ(system_.GetSubSound(parent, finished, old), SoundResult::kOk);
            ASSERT_EQ(system_.ReleaseSound(old), SoundResult::kOk);
            if (next < std::size(segments)) {
                const auto [start, end] = segments[next++];
                ASSERT_EQ(system_.SetSubSound(parent, finished, Segment(start, end)),
                          SoundResult::kOk);
            } else {
                ASSERT_EQ(system_.SetMode(ch, LoopMode::kOff), SoundResult::kOk);
            }
            heard = index;
        }
        ASSERT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    }
    EXPECT_FALSE(playing) << "the sentence ended after its last segment";
    std::vector<float> want;
    for (const auto& [start, end] : segments) {
        const std::vector<float> part = Frames({{start, end}});
        want.insert(want.end(), part.begin(), part.end());
    }
    ExpectPrefix(out, want);
    for (size_t i = want.size(); i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0.0f) << "after the end, frame " << i;
    }
}

TEST_F(SoundSentence, AnEmptiedSlotIsSkippedAndTheLengthLeftCountsWhatRemains) {
    const SoundId first = Segment(0, 3000);
    const SoundId parent = Sentence(first, Segment(10000, 13000));
    const ChannelId ch = Play(parent);
    Render(3200);  // into the second sub-sound
    ASSERT_EQ(system_.ReleaseSound(first), SoundResult::kOk);
    ASSERT_EQ(system_.SetMode(ch, LoopMode::kOff), SoundResult::kOk);
    uint32_t length = 0;
    uint32_t position = 0;
    ASSERT_EQ(system_.GetLength(parent, TimeUnit::kPcm, length), SoundResult::kOk);
    ASSERT_EQ(system_.GetPosition(ch, position, TimeUnit::kPcm), SoundResult::kOk);
    EXPECT_EQ(length - position, 2800u) << "what is left of the sub-sound heard";
    ExpectPrefix(Speaker(Render(3072), 0), Frames({{10200, 13000}}));
    bool playing = true;
    EXPECT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    EXPECT_FALSE(playing);
}

TEST_F(SoundSentence, SubSoundsMustFitTheirParent) {
    const SoundId parent = Sentence(Segment(0, 100), SoundId{});
    RawStreamInfo mono{kHeaderBytes, 400, 1, 48000, SoundFormat::kPcm16};
    SoundId other;
    ASSERT_EQ(system_.CreateRawStream(path_, mono, LoopMode::kOff, other), SoundResult::kOk);
    EXPECT_EQ(system_.SetSubSound(parent, 1, other), SoundResult::kErrInvalidParam)
        << "one channel in a two-channel sentence";
    EXPECT_EQ(system_.SetSubSound(parent, 2, Segment(0, 10)), SoundResult::kErrInvalidParam);
    SoundId first;
    ASSERT_EQ(system_.GetSubSound(parent, 0, first), SoundResult::kOk);
    ChannelId ch;
    EXPECT_EQ(system_.PlaySound(first, false, ch), SoundResult::kErrInvalidParam)
        << "a sub-sound plays through its parent";
    EXPECT_EQ(system_.SetSubSoundSentence(parent, {0, 2}), SoundResult::kErrInvalidParam);
}

}  // namespace
}  // namespace tamberline::testing
