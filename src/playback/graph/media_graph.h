#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "playback/graph/media_event.h"

typedef struct _GstElement GstElement;
typedef struct _GstPad GstPad;
typedef struct _GstMessage GstMessage;

namespace tamberline {

class GainRamp;
struct GraphHalt;

enum class GraphState { kStopped = 0, kPaused = 1, kRunning = 2 };

// Units of positions and durations: media time counts 100 ns units, sample
// time counts sample frames of the file's own rate.
enum class TimeFormat { kMediaTime, kSample };
inline constexpr int64_t kMediaTimePerSecond = 10'000'000;

// Flags of SetPositions, with the values the run control uses (1, 0x21, 0x31).
namespace seeking {
inline constexpr unsigned kNoPositioning = 0x00;
inline constexpr unsigned kAbsolutePositioning = 0x01;
inline constexpr unsigned kPositioningMask = 0x03;
inline constexpr unsigned kSegment = 0x10;  // end with EC_END_OF_SEGMENT, not EC_COMPLETE
inline constexpr unsigned kNoFlush = 0x20;  // join the new stretch seamlessly
}  // namespace seeking

// Levels in hundredths of a decibel.
inline constexpr long kVolumeSilent = -10000;
inline constexpr long kVolumeFull = 0;
inline constexpr long kBalanceLeftOnly = -10000;
inline constexpr long kBalanceRightOnly = 10000;

// One button's media graph: a GStreamer pipeline that plays one file on one
// renderer (a sound card's sink). Creating a graph is cheap; the elements are
// built by RenderFile and removed by RemoveAll, so 336 idle graphs hold no
// threads and no descriptors.
//
// Every operation is called from one thread at a time (the control thread);
// only the event queue is shared with GStreamer's threads. Nothing blocks
// except RenderFile (until the file is ready to play) and RemoveAll.
//
// Levels change over a short ramp, never in a step. A stop or pause of a
// running graph fades out first and takes effect once the renderer has
// played the fade, on a thread of GStreamer's; RemoveAll waits for that
// (a few hundred milliseconds at most), so a caller that must not wait
// asks FadingOut first. A graph that runs again fades in.
class MediaGraph {
public:
    // `sink` may be null: events are then only queued.
    MediaGraph(int button, MediaEventSink* sink);
    ~MediaGraph();
    MediaGraph(const MediaGraph&) = delete;
    MediaGraph& operator=(const MediaGraph&) = delete;

    int Button() const { return button_; }

    // Building. AddRenderer takes the element (a floating reference is sunk)
    // and makes it the graph's renderer; only one renderer at a time.
    bool AddRenderer(GstElement* renderer);
    // Decodes `path` into the renderer (the system's default output when none
    // was added) and waits until the first sound is ready; a file rendered
    // before is replaced. On failure the graph is emptied, renderer included,
    // and no streaming thread is left.
    bool RenderFile(const std::string& path);
    // A file was rendered and reaches the renderer.
    bool IsRendererConnected() const;
    // Stops and removes every element; positions, rate and levels reset.
    void RemoveAll();

    // Control. A rendered graph starts stopped at the file's start.
    bool Run();
    bool Pause();
    bool Stop();
    GraphState GetState() const { return state_; }
    // A stop or pause is still fading out.
    bool FadingOut() const;

    // Positions, in the current time format. The sample format is available
    // once a file is rendered.
    bool SetTimeFormat(TimeFormat format);
    TimeFormat GetTimeFormat() const { return format_; }
    bool CanDoSegments() const;
    // Flags as in `seeking`: kNoPositioning leaves that end where it is;
    // kSegment and kNoFlush are taken from `currentFlags`.
    bool SetPositions(int64_t current, unsigned currentFlags, int64_t stop, unsigned stopFlags);
    bool GetDuration(int64_t& duration) const;
    bool GetCurrentPosition(int64_t& position) const;
    bool GetStopPosition(int64_t& stop) const;
    // Playback speed, pitch with it; 1.0 is normal. Rates <= 0 are refused.
    bool SetRate(double rate);
    double GetRate() const { return rate_; }

    // Level: -10000 (silent) .. 0 (full); balance -10000 (right silent) ..
    // 10000 (left silent), the other side's attenuation in hundredths of a
    // decibel. Values outside are clamped. Kept across RenderFile.
    bool PutVolume(long volume);
    long GetVolume() const { return volume_; }
    bool PutBalance(long balance);
    long GetBalance() const { return balance_; }

    // Takes the oldest pending event; each event is returned once.
    bool GetEvent(MediaEvent& event);

    // Pictures. With ExposeVideo on when a file is rendered, its first
    // picture stream is decoded but left unconnected: the file plays its
    // sound only until ShowPicture connects the picture.
    void ExposeVideo(bool on) { exposeVideo_ = on; }
    bool HasVideo() const;
    // The picture's size in square pixels.
    bool VideoSize(int& width, int& height) const;
    // Connects the picture, scaled to `width` x `height`, to `renderer`
    // (taken; a floating reference is sunk); `firstFrame` is called once,
    // on a streaming thread, when the first picture reaches the renderer.
    // False when the renderer cannot start (its display cannot be opened):
    // the graph then plays on without picture. Nothing waits for the
    // picture; the next Run shows it with the sound.
    bool ShowPicture(GstElement* renderer, int width, int height, std::function<void()> firstFrame);
    bool ShowsPicture() const { return pictureBin_.load() != nullptr; }

    struct Callbacks;  // GStreamer's entry points into the graph

private:
    enum class Preroll { kIdle, kPending, kDone, kFailed };

    void Clear(bool keepRenderer);
    bool BuildChain(const std::string& uri);
    bool WaitForPreroll();
    bool Seek(unsigned flags, int64_t startNs, int64_t stopNs);
    int64_t PositionNs() const;
    void ApplyLevels();
    int64_t ToNanoseconds(int64_t value) const;
    int64_t FromNanoseconds(int64_t ns) const;
    void Post(MediaEvent event);
    // Picture stream of the decoder (streaming thread) and of the graph.
    void NoteVideoPad(GstPad* pad);
    bool IsPictureMessage(GstMessage* message) const;
    void ForgetPicture();
    // The stop and pause fades (graph_fade.cpp). `state` is a GstState.
    void AttachRamp(GstElement* volume);
    bool HaltAfterFade(int state);
    void CancelHalt();
    void WaitForHalt();

    const int button_;
    MediaEventSink* const sink_;
    GstElement* pipeline_ = nullptr;
    GstElement* renderer_ = nullptr;  // in pipeline_ while set
    std::atomic<GstElement*> volumeElement_{nullptr};
    GstElement* panoramaElement_ = nullptr;
    std::shared_ptr<GainRamp> ramp_;  // the level, on the sound entering `volume`
    std::shared_ptr<GraphHalt> halt_;
    unsigned long deviceWatch_ = 0;  // signal handler on the renderer

    bool rendered_ = false;
    GraphState state_ = GraphState::kStopped;
    TimeFormat format_ = TimeFormat::kMediaTime;
    int sampleRate_ = 0;
    double rate_ = 1.0;
    int64_t stopNs_ = -1;  // -1: the end of the file
    bool segmentMode_ = false;
    bool exposeVideo_ = false;
    long volume_ = kVolumeFull;
    long balance_ = 0;
    // The sound waiting at the renderer was levelled before the last change.
    bool levelsStale_ = false;

    // Shared with GStreamer's threads (written under mutex_ only).
    mutable std::mutex mutex_;
    GstElement* chainInput_ = nullptr;  // where the decoded sound enters
    std::condition_variable prerollChanged_;
    Preroll preroll_ = Preroll::kIdle;
    bool audioLinked_ = false;
    std::string chosenDevice_;  // the sound server's name of the renderer's device
    std::deque<MediaEvent> events_;
    GstPad* videoPad_ = nullptr;  // the decoder's picture output, unconnected until shown
    std::function<void()> firstFrame_;
    // The picture's own bin, while one is connected.
    std::atomic<GstElement*> pictureBin_{nullptr};
    // The last stretch has left the decoder: its streaming thread is idle, so
    // a seek without flushing cannot wait on it.
    std::atomic<bool> segmentDrained_{false};
    std::atomic<bool> ended_{false};  // the renderer has played to the end
};

}  // namespace tamberline
