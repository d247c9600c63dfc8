// The sound system with its streaming thread and a device thread of its
// own, as on a real output: what the run control does while sounds play.

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "sound_test_support.h"

namespace tamberline::testing {
namespace {

// A device that calls the mixer from its own thread, a period at a time, at
// about the pace of a real one, and keeps the first speaker of what it played.
class PacedBackend final : public AudioBackend {
public:
    explicit PacedBackend(std::vector<float>& played) : played_(played) {}
    ~PacedBackend() override { Close(); }

    SoundResult DriverCount(int& count) override {
        count = 1;
        return SoundResult::kOk;
    }
    SoundResult DriverName(int, std::string& name) override {
        name = "paced";
        return SoundResult::kOk;
    }
    SoundResult Open(int, int channels, AudioSink& sink, BackendFormat& format) override {
        sink_ = &sink;
        channels_ = channels;
        format = {48000, channels};
        return SoundResult::kOk;
    }
    SoundResult Start() override {
        running_ = true;
        thread_ = std::thread([this] {
            std::vector<float> block(static_cast<size_t>(kPeriod * channels_));
            auto next = std::chrono::steady_clock::now();
            while (running_.load()) {
                sink_->Process(block.data(), channels_, kPeriod);
                for (int i = 0; i < kPeriod; ++i) {
                    played_.push_back(block[static_cast<size_t>(i * channels_)]);
                }
                next += std::chrono::microseconds(kPeriod * 1000000 / 48000);
                std::this_thread::sleep_until(next);
            }
        });
        return SoundResult::kOk;
    }
    bool Close() override {
        running_ = false;
        if (thread_.joinable()) {
            thread_.join();
        }
        return true;
    }
    bool Realtime() const override { return true; }
    bool Lost() override { return false; }

private:
    static constexpr int kPeriod = 256;
    std::vector<float>& played_;
    AudioSink* sink_ = nullptr;
    int channels_ = 0;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

class SoundThreads : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(system_.SetOutputBackend(std::make_unique<PacedBackend>(played_)),
                  SoundResult::kOk);
        ASSERT_EQ(system_.Init(64), SoundResult::kOk);
        std::string bytes;
        for (int64_t f = 0; f < 200000; ++f) {
            const int16_t v = Marker(f, 0);
            bytes.append(reinterpret_cast<const char*>(&v), 2);
        }
        path_ = dir_.Write("mono.raw", bytes);
    }
    SoundId Segment(int64_t start, int64_t end) {
        RawStreamInfo info{2 * start, 2 * (end - start), 1, 48000, SoundFormat::kPcm16};
        SoundId sound;
        EXPECT_EQ(system_.CreateRawStream(path_, info, LoopMode::kOff, sound), SoundResult::kOk);
        return sound;
    }

    TempDir dir_;
    std::vector<float> played_;  // written by the device thread until Close
    SoundSystem system_;
    std::string path_;
};

// Frames may come late (the device thread holds a voice whose frames are not
// decoded yet) but never get lost or repeated: without the silences, what
// was played is the segments in turn.
TEST_F(SoundThreads, SegmentsAreHeardInTurnWithNothingLostOrRepeated) {
    const std::pair<int64_t, int64_t> segments[] = {
        {0, 20000}, {50000, 70000}, {100000, 125000}, {150000, 160000}, {30000, 45000}};
    UserStreamInfo info{1, 48000, SoundFormat::kPcm16, 2};
    SoundId parent;
    ASSERT_EQ(system_.CreateUserStream(info, LoopMode::kNormal, parent), SoundResult::kOk);
    ASSERT_EQ(system_.SetSubSound(parent, 0, Segment(segments[0].first, segments[0].second)),
              SoundResult::kOk);
    ASSERT_EQ(system_.SetSubSound(parent, 1, Segment(segments[1].first, segments[1].second)),
              SoundResult::kOk);
    ASSERT_EQ(system_.SetSubSoundSentence(parent, {0, 1}), SoundResult::kOk);
    ChannelId ch;
    ASSERT_EQ(system_.PlaySound(parent, false, ch), SoundResult::kOk);

    size_t next = 2;
    uint32_t heard = 0;
    bool playing = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (playing && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        uint32_t index = 0;
        ASSERT_EQ(system_.GetPosition(ch, index, TimeUnit::kSubSound), SoundResult::kOk);
        if (index != heard) {
            SoundId old;
            ASSERT_EQ(system_.GetSubSound(parent, static_cast<int>(heard), old), SoundResult::kOk);
            ASSERT_EQ(system_.ReleaseSound(old), SoundResult::kOk);
            if (next < std::size(segments)) {
                const auto [start, end] = segments[next++];
                ASSERT_EQ(system_.SetSubSound(parent, static_cast<int>(heard), Segment(start, end)),
                          SoundResult::kOk);
            } else {
                ASSERT_EQ(system_.SetMode(ch, LoopMode::kOff), SoundResult::kOk);
            }
            heard = index;
        }
        ASSERT_EQ(system_.IsPlaying(ch, playing), SoundResult::kOk);
    }
    EXPECT_FALSE(playing);
    ASSERT_EQ(system_.Close(), SoundResult::kOk);

    std::vector<float> sounded;
    for (float v : played_) {
        if (v != 0.0f) {
            sounded.push_back(v);
        }
    }
    std::vector<float> want;
    for (const auto& [start, end] : segments) {
        for (int64_t f = start; f < end; ++f) {
            want.push_back(MarkerFloat(f, 0));
        }
    }
    ASSERT_EQ(sounded.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(sounded[i], want[i]) << "frame " << i;
    }
}

// Many quick changes while the device and streaming threads run: loops on
// and off, loop points, seeks, pauses, sub-sounds swapped, sounds released.
// Nothing may hang, and every channel left to end does end.
TEST_F(SoundThreads, QuickChangesWhilePlayingLeaveEveryChannelSound) {
    std::vector<SoundId> sounds;
    std::vector<ChannelId> channels;
    for (int i = 0; i < 16; ++i) {
        sounds.push_back(Segment(1000 * i, 1000 * i + 4800 + 97 * i));
        ChannelId ch;
        ASSERT_EQ(system_.PlaySound(sounds.back(), false, ch), SoundResult::kOk);
        channels.push_back(ch);
    }
    for (int round = 0; round < 200; ++round) {
        for (size_t i = 0; i < channels.size(); ++i) {
            const ChannelId ch = channels[i];
            switch ((round + static_cast<int>(i)) % 6) {
                case 0: system_.SetMode(ch, LoopMode::kNormal); break;
                case 1: system_.SetLoopPoints(ch, 100, 2000 + static_cast<uint32_t>(round)); break;
                case 2:
                    system_.SetPosition(ch, static_cast<uint32_t>(round * 7 % 4000),
                                        TimeUnit::kPcm);
                    break;
                case 3: system_.SetPaused(ch, round % 2 == 0); break;
                case 4: system_.SetLoopCount(ch, round % 3 - 1); break;
                default: system_.SetMode(ch, LoopMode::kOff); break;
            }
        }
        if (round % 50 == 49) {
            // A stream played again: its earlier channel goes.
            ChannelId again;
            ASSERT_EQ(system_.PlaySound(sounds[0], false, again), SoundResult::kOk);
            channels[0] = again;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // A voice the readers could not keep up with skips on to where it should
    // be, and with its loop off that may be past its end: it has played out.
    const auto playedOutOrOk = [](SoundResult r) {
        return r == SoundResult::kOk || r == SoundResult::kErrChannelStopped;
    };
    for (const ChannelId ch : channels) {
        ASSERT_TRUE(playedOutOrOk(system_.SetPaused(ch, false)));
        ASSERT_TRUE(playedOutOrOk(system_.SetMode(ch, LoopMode::kOff)));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    size_t stillPlaying = channels.size();
    while (stillPlaying > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stillPlaying = 0;
        for (const ChannelId ch : channels) {
            bool playing = false;
            system_.IsPlaying(ch, playing);
            stillPlaying += playing;
        }
    }
    EXPECT_EQ(stillPlaying, 0u) << "every channel with its loop off plays out";
    for (const SoundId sound : sounds) {
        EXPECT_EQ(system_.ReleaseSound(sound), SoundResult::kOk);
    }
}

}  // namespace
}  // namespace tamberline::testing
