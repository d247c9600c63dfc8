#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

typedef struct _GstPad GstPad;

namespace tamberline {

// A media graph's level, applied sample by sample on its streaming thread.
// A new level is reached over a short ramp instead of at the next buffer,
// so run control's fade steps (one every 10 ms) join into one smooth fade;
// before a stop or pause the sound fades out over the engine's 5 ms, and
// after one it fades in again.
class GainRamp {
public:
    static constexpr double kStepMs = 10.0;  // run control's fade steps come this often
    static constexpr double kFadeMs = 5.0;   // the engine's de-click fade

    // Any thread. `ramp` false: at once (nothing of the old level is heard).
    void SetGain(double gain, bool ramp);
    // To silence over kFadeMs; levels set meanwhile wait until FadeIn.
    void FadeOut();
    // From silence to the level over kFadeMs.
    void FadeIn();
    bool FadingOut() const;
    // The fade-out has been applied: what follows `SilentFromNs` (stream
    // time) is silence.
    bool FadedOut() const { return fadedOut_.load(std::memory_order_acquire); }
    int64_t SilentFromNs() const { return silentFromNs_.load(std::memory_order_acquire); }

    // Streaming thread: interleaved floats; `endNs` is the stream time at
    // the buffer's end (-1 unknown).
    void Apply(float* samples, size_t frames, int channels, int rate, int64_t endNs);
    // Streaming thread: what was queued is gone; the next sound starts
    // afresh, at the level (or from silence when fading in).
    void Flush();

    // Puts the ramp on the graph's sound: `pad` carries interleaved 32-bit
    // floats. The probe keeps the ramp alive while the pad has it.
    static void Attach(GstPad* pad, std::shared_ptr<GainRamp> ramp);

private:
    enum class Kind { kLevel, kFadeOut, kFadeIn };
    struct Command {
        Kind kind = Kind::kLevel;
        double gain = 1.0;
        bool ramp = false;
        uint64_t version = 0;
    };
    Command Take();

    mutable std::mutex mutex_;
    Command command_;
    double level_ = 1.0;
    std::atomic<bool> fadedOut_{false};
    std::atomic<int64_t> silentFromNs_{-1};
    // Streaming thread only.
    uint64_t seen_ = 0;
    bool flushed_ = false;
    double current_ = 1.0;
    double target_ = 1.0;
    double step_ = 0.0;
    size_t left_ = 0;
};

}  // namespace tamberline
