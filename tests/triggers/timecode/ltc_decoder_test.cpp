// The LTC decoder on timecode written by libltc's encoder: every rate, the
// rate rules, level, noise and polarity, and input that is no timecode.

#include "triggers/timecode/ltc_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "ltc_signal.h"

namespace tamberline::testing {
namespace {

struct Decoded {
    std::vector<LtcFrame> frames;
    int rateChanges = 0;
    int finalRate = 0;
};

Decoded DecodeAll(const std::vector<uint8_t>& samples, int startRate = 25) {
    LtcDecoder decoder(startRate);
    Decoded out;
    for (size_t at = 0; at < samples.size(); at += LtcDecoder::kBlockBytes) {
        const size_t n = std::min(LtcDecoder::kBlockBytes, samples.size() - at);
        if (!decoder.Decode(std::span(samples).subspan(at, n))) {
            ++out.rateChanges;
        }
        LtcFrame frame;
        while (decoder.Pop(frame)) {
            out.frames.push_back(frame);
        }
    }
    out.finalRate = decoder.frameRate();
    return out;
}

// Frames in a row, each the one after the one before, at `rate`.
size_t LongestRun(const std::vector<LtcFrame>& frames, int rate) {
    size_t best = frames.empty() ? 0 : 1, run = 1;
    for (size_t i = 1; i < frames.size(); ++i) {
        const int a = frames[i - 1].SecondOfDay() * rate + frames[i - 1].FrameNumber();
        const int b = frames[i].SecondOfDay() * rate + frames[i].FrameNumber();
        run = b == a + 1 ? run + 1 : 1;
        best = std::max(best, run);
    }
    return best;
}

struct RateCase {
    double fps;
    int rate;
    bool dropFrame;
};

class LtcRates : public ::testing::TestWithParam<RateCase> {};

TEST_P(LtcRates, EveryFrameAfterTheRateIsKnownIsReadInOrder) {
    const RateCase c = GetParam();
    LtcSignal signal;
    signal.fps = c.fps;
    signal.frames = 4 * c.rate;
    const Decoded d = DecodeAll(EncodeLtc(signal));
    EXPECT_EQ(d.finalRate, c.rate);
    EXPECT_EQ(d.rateChanges, c.rate == 25 ? 0 : 1);
    ASSERT_FALSE(d.frames.empty());
    const LtcFrame& last = d.frames.back();
    // The last frame written decodes once the one after it has begun.
    EXPECT_EQ(last.SecondOfDay() * c.rate + last.FrameNumber(), 3600 * c.rate + signal.frames - 1);
    EXPECT_EQ(last.DropFrame(), c.dropFrame);
    // Nothing is lost but the first frame or two (spent finding the bit
    // phase and period), not even across the rate switch.
    EXPECT_GE(LongestRun(d.frames, c.rate), static_cast<size_t>(signal.frames - 2));
    EXPECT_EQ(d.frames.front().rate, 25);
    EXPECT_EQ(last.rate, c.rate);
}

INSTANTIATE_TEST_SUITE_P(Rates, LtcRates,
                         ::testing::Values(RateCase{24, 24, false}, RateCase{25, 25, false},
                                           RateCase{29.97, 30, true}, RateCase{30, 30, false}));

TEST(LtcDecoder, TwentyFourFramesSwitchTheRateAtTheSecondFrameZeroAndBackAgain) {
    LtcSignal film;
    film.fps = 24;
    film.frames = 24 * 3;
    std::vector<uint8_t> samples = EncodeLtc(film);
    LtcSignal pal;
    pal.hours = 2;
    pal.frames = 25 * 3;
    const std::vector<uint8_t> more = EncodeLtc(pal);
    samples.insert(samples.end(), more.begin(), more.end());
    const Decoded d = DecodeAll(samples);
    EXPECT_EQ(d.rateChanges, 2);
    EXPECT_EQ(d.finalRate, 25);
}

TEST(LtcDecoder, ALostFrameOrAJumpToFrameZeroSetsNoRate) {
    // 25 fps, but frame 24 of the first second is cut out and a jump lands
    // on a frame 0 after frame 12: neither 24 nor 13 may become the rate.
    LtcSignal signal;
    signal.frames = 25 * 3;
    const std::vector<uint8_t> whole = EncodeLtc(signal);
    const size_t perFrame = whole.size() / static_cast<size_t>(signal.frames + 1);
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(24 * perFrame));
    cut.insert(cut.end(), whole.begin() + static_cast<long>(25 * perFrame),
               whole.begin() + static_cast<long>(38 * perFrame));
    LtcSignal later = signal;
    later.hours = 5;
    const std::vector<uint8_t> jump = EncodeLtc(later);
    cut.insert(cut.end(), jump.begin(), jump.end());
    const Decoded d = DecodeAll(cut);
    EXPECT_EQ(d.rateChanges, 0);
    EXPECT_EQ(d.finalRate, 25);
}

struct SignalCase {
    const char* name;
    double fps;
    double dbfs;
    bool inverted;
    int noisePeak;        // in sample steps
    double minimumShare;  // of the frames written
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class LtcConditions : public ::testing::TestWithParam<SignalCase> {};

std::vector<ReadFrame> Read(const Decoded& d) {
    std::vector<ReadFrame> read;
    for (const LtcFrame& f : d.frames) {
        read.push_back({f.SecondOfDay(), f.FrameNumber()});
    }
    return read;
}

// Quiet, inverted, and noise up to peaks as loud as the signal: at least
// the share asked of the frames written, never fewer than libltc's decoder
// reads from the same samples, and nothing misread while the noise stays
// below the signal. Louder noise flips bits inside frames, which no LTC
// decoder can tell: fewer of those than libltc gives.
TEST_P(LtcConditions, AtLeastAsManyFramesAsLibltcAreRead) {
    const SignalCase c = GetParam();
    LtcSignal signal;
    signal.fps = c.fps;
    signal.frames = 10 * static_cast<int>(c.fps);
    signal.dbfs = c.dbfs;
    signal.inverted = c.inverted;
    std::vector<uint8_t> samples = EncodeLtc(signal);
    if (c.noisePeak > 0) {
        AddNoise(samples, c.noisePeak, 7);
    }
    const ReadCount ours = CountRead(Read(DecodeAll(samples)), signal);
    const ReadCount theirs = CountRead(DecodeWithLibltc(samples, c.fps), signal);
    EXPECT_GE(static_cast<double>(ours.read), c.minimumShare * signal.frames) << c.name;
    EXPECT_GE(ours.read, theirs.read) << c.name;
    const double signalPeak = 127 * std::pow(10, c.dbfs / 20);
    if (c.noisePeak < signalPeak * 0.8) {
        EXPECT_EQ(ours.misread, 0U) << c.name;
    } else {
        EXPECT_LE(ours.misread, theirs.misread) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Signals, LtcConditions,
    ::testing::Values(SignalCase{"full", 25, -3, false, 0, 0.99},
                      SignalCase{"quiet", 25, -30, false, 0, 0.99},
                      SignalCase{"inverted", 25, -3, true, 0, 0.99},
                      SignalCase{"noisy", 25, -6, false, 30, 0.99},
                      SignalCase{"quiet inverted", 25, -30, true, 0, 0.99},
                      SignalCase{"noisy quiet", 25, -10, false, 24, 0.99},
                      SignalCase{"very noisy", 25, -6, false, 48, 0.99},
                      SignalCase{"noise as loud as the signal", 25, -6, false, 64, 0.8},
                      SignalCase{"very noisy 30", 30, -6, false, 48, 0.99},
                      SignalCase{"noise near the signal 30", 30, -6, false, 56, 0.8},
                      SignalCase{"noise near the signal 24", 24, -6, false, 56, 0.9},
                      SignalCase{"quiet noisy", 25, -30, false, 2, 0.99},
                      SignalCase{"quiet noisy inverted 24", 24, -30, true, 2, 0.99},
                      SignalCase{"loud noisy inverted", 25, -1, true, 100, 0.95}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(LtcDecoder, LevelChangesAndClippingKeepTheFramesComing) {
    LtcSignal loud;
    loud.frames = 50;
    loud.dbfs = -1;
    std::vector<uint8_t> samples = EncodeLtc(loud);
    for (uint8_t& s : samples) {  // driven far into clipping
        s = static_cast<uint8_t>(std::clamp((s - 128) * 6 + 128, 0, 255));
    }
    LtcSignal quiet = loud;
    quiet.seconds = 2;
    quiet.dbfs = -36;
    const std::vector<uint8_t> tail = EncodeLtc(quiet);
    samples.insert(samples.end(), tail.begin(), tail.end());
    const Decoded d = DecodeAll(samples);
    EXPECT_GE(d.frames.size(), 95U);
}

std::vector<uint8_t> Bytes(size_t n, const std::function<uint8_t(size_t)>& make) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        v[i] = make(i);
    }
    return v;
}

TEST(LtcDecoder, NoTimecodeGivesNoFramesAndNoRate) {
    std::mt19937 random(3);
    const size_t n = 22050 * 10;
    const struct {
        const char* name;
        std::vector<uint8_t> samples;
    } cases[] = {
        {"silence", Bytes(n, [](size_t) { return uint8_t{128}; })},
        {"DC low", Bytes(n, [](size_t) { return uint8_t{0}; })},
        {"DC high", Bytes(n, [](size_t) { return uint8_t{255}; })},
        {"square noise", Bytes(n, [&](size_t) { return uint8_t(random() & 1 ? 255 : 0); })},
        {"white noise", Bytes(n, [&](size_t) { return uint8_t(random()); })},
        {"1 kHz tone", Bytes(n, [](size_t i) { return uint8_t((i / 11) % 2 ? 228 : 28); })},
    };
    for (const auto& c : cases) {
        const Decoded d = DecodeAll(c.samples);
        EXPECT_LE(LongestRun(d.frames, 25), 1U) << c.name;
        EXPECT_EQ(d.rateChanges, 0) << c.name;
    }
}

TEST(LtcDecoder, AFullQueueCountsTheFramesItCannotHold) {
    LtcSignal signal;
    signal.frames = 20;
    const std::vector<uint8_t> samples = EncodeLtc(signal);
    LtcDecoder decoder;
    ASSERT_TRUE(decoder.Decode(samples));  // one long block, never read in between
    LtcFrame frame;
    int queued = 0;
    while (decoder.Pop(frame)) {
        ++queued;
    }
    // Frames 0..19 decode (20 has nothing after it): the first four stay,
    // oldest first, and 16 are counted.
    EXPECT_EQ(queued, 4);
    EXPECT_EQ(decoder.framesLost(), 16U);
    EXPECT_EQ(frame.FrameNumber(), 3);
}

}  // namespace
}  // namespace tamberline::testing
