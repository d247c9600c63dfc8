#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "playback/sound/sound_types.h"

namespace tamberline {

class SoundSystem;
namespace sound {
class SoundSource;
}  // namespace sound

// The button setup's preview on the audio engine: one voice beside the
// buttons', played through the same engine pieces as a button (level,
// pair and pan, varispeed, loop). Its engine calls run on the control
// thread with run control's; the GUI thread calls in and waits only for
// Open's answer, and that boundedly.
class EnginePreview {
public:
    // Runs a call on the control thread; false when it will not run. Empty:
    // every call runs at once on the caller's thread (tests on the offline
    // engine, which also call Tick themselves).
    using PostFn = std::function<bool(std::function<void()>)>;
    static constexpr std::chrono::milliseconds kOpenWait{5'000};

    explicit EnginePreview(PostFn post = {}) : post_(std::move(post)) {}
    EnginePreview(const EnginePreview&) = delete;
    EnginePreview& operator=(const EnginePreview&) = delete;

    // Control thread. The voice on the engine before is let go of first.
    void SetEngine(SoundSystem* engine);
    // Every tick: publishes the position and the end of play.
    void Tick();

    // GUI thread. Opens `path` paused, silent, on engine pair `output`
    // (0..3), replacing the voice before; false when the engine cannot
    // play it, or did not answer within `wait`.
    bool Open(const std::string& path, int output, std::chrono::milliseconds wait = kOpenWait);
    // Of the open sound at its own speed, as last published.
    int32_t DurationMs() const { return lengthMs_.load(std::memory_order_relaxed); }
    int32_t PositionMs() const { return positionMs_.load(std::memory_order_relaxed); }
    void Play();
    void Pause();
    // Back to the start, paused.
    void Rewind();
    void Release();
    // Hundredths of a decibel; pan 0..200; varispeed per cent.
    void SetLevel(long levelCb);
    void SetPan(int pan);
    void SetVarispeed(int varispeed);
    void SetLoop(bool loop);
    // True once after the sound has played to its end.
    bool TakeEnded() { return ended_.exchange(false, std::memory_order_acq_rel); }

private:
    bool Run(std::function<void()> call);
    // Control thread.
    bool Start(const std::shared_ptr<sound::SoundSource>& source, int output);
    void ApplyVoice();
    void Free();

    PostFn post_;
    // Control thread only.
    SoundSystem* engine_ = nullptr;
    SoundId sound_;
    ChannelId channel_;
    int soundChannels_ = 0;
    float baseFrequency_ = 0.0f;
    bool started_ = false;  // unpaused: its end is looked for
    int output_ = 0;
    int pan_ = 100;
    int varispeed_ = 100;
    float levelCb_ = -10000.0f;
    bool loop_ = false;
    // Published for the GUI thread.
    std::atomic<int32_t> lengthMs_{0};
    std::atomic<int32_t> positionMs_{0};
    std::atomic<bool> ended_{false};
};

}  // namespace tamberline
