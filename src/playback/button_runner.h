#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/graph/output_list.h"
#include "playback/output_table.h"
#include "playback/run_ports.h"
#include "playback/run_state.h"
#include "session/button_record.h"
#include "songlist/media_length.h"
#include "triggers/start_requests.h"

namespace tamberline {

class AudioSinkCatalog;
struct PrepareWork;
class ControlThread;
class MediaGraph;
class RunLog;
class SoundSystem;
class VideoDisplay;

// What the grid draws of a button, published by the control thread and
// read by any thread without a lock.
struct PublishedRun {
    std::atomic<uint32_t> flags{0};  // kView* bits, songs left above bit 8
    std::atomic<int32_t> remainingMs{0};
    std::atomic<uint32_t> playedMs{0};
};

namespace view {
inline constexpr uint32_t kRunning = 0x01;
inline constexpr uint32_t kPaused = 0x02;
inline constexpr uint32_t kFadingIn = 0x04;
inline constexpr uint32_t kFadingOut = 0x08;
inline constexpr uint32_t kLocked = 0x10;
inline constexpr uint32_t kSegments = 0x20;
inline constexpr int kSongsShift = 8;
}  // namespace view

// Runs `work`, which may wait for files, where waiting holds up nothing,
// then `done` on the control thread.
using FileWorkFn = std::function<void(std::function<void()> work, std::function<void()> done)>;

struct RunServices {
    RunHost* host = nullptr;
    RunLog* runLog = nullptr;  // may be null: nothing is logged
    MidiOutQueue* midiOut = nullptr;
    RunLink* link = nullptr;
    AudioSinkCatalog* catalog = nullptr;
    VideoDisplay* video = nullptr;  // null: video files play their sound only
    // Measures songlist entries; the media detector when empty.
    MediaLengthFn mediaLength;
    // Empty: the file work and what follows it run at once, on the
    // caller's thread (tests on the offline engine).
    FileWorkFn fileWork;
};

// Run control of the 336 buttons on both engines. Every operation runs on
// the control thread (or, in tests, on one thread while the control thread
// is idle); only Requests() and the published views are for
// other threads.
class ButtonRunner final : public StartTarget {
public:
    ButtonRunner(ControlThread& control, const RunServices& services);
    ~ButtonRunner() override;

    // Set-up, on the control thread.
    void SetEngine(SoundSystem* engine) { engine_ = engine; }
    void SetGraphs(std::vector<MediaGraph*> graphs) { graphs_ = std::move(graphs); }
    void SetOutputs(const OutputTable& table, const OutputList& list);
    void SetCatalog(AudioSinkCatalog* catalog) { services_.catalog = catalog; }
    void SetStartupComplete(bool on) { startupComplete_ = on; }
    void SetShuttingDown(bool on) { shuttingDown_ = on; }
    // A fresh copy of a record; its file is examined again at the next start.
    // `version` comes back with the run data learnt from this copy.
    void LoadRecord(int button, const ButtonRecord& record, uint32_t version = 0);
    // Prepares `record` for `button` as a start would, without reporting,
    // then frees the media and leaves the button as it was, idle; `then`
    // gets the result (0 when ready) and the record with what was learnt.
    using Examined = std::function<void(int code, const ButtonRecord& record)>;
    void ExamineRecord(int button, const ButtonRecord& record, Examined then);

    // Operations. While a button's file work is out, later operations on
    // that button wait for it, in the order they came.
    using Prepared = std::function<void(int code)>;
    // `then` gets the result on the control thread; a fresh start also
    // finds a file of size zero.
    void PrepareButton(int button, bool freshStart, Prepared then);
    void StartButton(int button) override;
    void ReleaseButton(int button);
    void StopButton(int button);
    void StopAll();
    void NextSonglistItem(int button);
    void ApplyOutputRouting(int button);
    void ReleaseButtonMedia(int button);
    void SetReleaseToEnd(int button);
    void ClearBuzzerLocks();
    void SetPlayedMs(int button, uint32_t ms);
    void OnMediaEvent(int button);

    // The playback part of the tick.
    void RunFades(uint32_t elapsedMs);
    void RunClocks(uint32_t elapsedMs);
    // The graph of the first button from `from` on that runs, or -1.
    int NextRunningGraphButton(int from) const;

    int StartGroupOf(int button) const override;
    StartRequests& Requests() { return requests_; }

    const ButtonRunState& State(int button) const { return states_[Index(button)]; }
    const ButtonRecord& Record(int button) const { return records_[Index(button)]; }
    const PublishedRun& Published(int button) const { return published_[Index(button)]; }

private:
    static size_t Index(int button) { return static_cast<size_t>(button); }
    static bool Valid(int button) { return button >= 0 && button < kButtonCount; }
    MediaGraph* Graph(int button) const;
    bool ChannelPlays(ChannelId channel) const;
    void Publish(int button);
    void ReportRecord(int button);

    // Commands for a button whose file work is out wait for it.
    bool Defer(int button, bool start, std::function<void()> command);
    void ReplayDeferred(int button);

    // Preparing.
    int OutputEntryOf(const ButtonRecord& record) const;
    void RunFileWork(std::function<void()> work, std::function<void()> done);
    int FinishPrepare(int button, PrepareWork& work);
    int PrepareOnEngine(int button, PrepareWork& work);
    int PrepareOnGraph(int button, const PrepareWork& work);
    bool CreateSegmentStream(int button, const PrepareWork& work);
    bool QueueSegment(int button, int slot, bool toEnd);
    void ReadFileFacts(int button, const PrepareWork& work);
    uint32_t PreparedDurationMs(int button);
    void LimitFades(int button);

    // Starting and stopping.
    bool CanStart(int button) const;
    void StartPrepared(int button, int result);
    void RunStart(int button);
    void PlayNextEntry(int button, float level, long balance);
    void SetStartPosition(int button);
    void ShowVideo(int button, MediaGraph& graph);
    void StopGroups(int button);
    void LockBuzzers();
    void SilenceAndHalt(int button);
    void EndState(int button);
    void EndRun(int button);
    void MidiNote(int button, bool on);
    void WriteRunLog(int button);

    // Start groups on the engine start on one frame.
    bool OnEngineOutput(int button) const;
    void BeginGroupStart(int button);
    // Started by its group's start, which is gathering it.
    bool GatheredForGroup(int button) const;
    bool HoldForGroup(int button);
    void DropFromGroup(int button);
    void FinishGroupStart(int group);
    void AgeGroupStarts(uint32_t elapsedMs);
    void ForgetGroupStarts();

    // The tick's pieces.
    void FadeIn(int button, ButtonRunState& state, uint32_t elapsedMs);
    void FadeOut(int button, ButtonRunState& state, uint32_t elapsedMs);
    void EngineEndOfPlay(int button);
    void StreamSegments(int button);
    void GraphEndOfSegment(int button);
    float CurrentLevel(int button) const;
    void SetLevel(int button, float level);

    RunServices services_;
    RunLink nullLink_;
    MidiOutQueue nullMidi_;
    StartRequests requests_;
    SoundSystem* engine_ = nullptr;
    std::vector<MediaGraph*> graphs_;
    OutputTable table_;
    OutputList list_;
    bool startupComplete_ = true;
    bool shuttingDown_ = false;
    RecordArray records_{};
    std::array<ButtonRunState, kButtonCount> states_{};
    std::array<PublishedRun, kButtonCount> published_{};
    std::array<uint32_t, kButtonCount> versions_{};
    std::array<bool, kButtonCount> examining_{};
    // The button's file work is out; a stop-all came meanwhile.
    std::array<bool, kButtonCount> busy_{};
    std::array<bool, kButtonCount> stoppedAll_{};
    struct Deferred {
        bool start;
        std::function<void()> command;
    };
    std::array<std::deque<Deferred>, kButtonCount> deferred_;
    // The members of a group start gathered so far, held paused.
    struct GroupStart {
        bool active = false;
        std::bitset<kButtonCount> waiting;  // members still to come
        std::vector<int> held;
        uint32_t ageMs = 0;
    };
    std::array<GroupStart, kStartGroupCount + 1> groupStarts_{};
    std::array<bool, kButtonCount> heldForGroup_{};
};

// The shared sample-file error report of the button setup (kinds 1..5).
class MessageBox;
void ReportSampleError(MessageBox& box, const std::string& path, int kind);
// The text of the question after a failed start (codes 1..4).
std::string FailedStartText(const std::string& path, int code);
enum class FailedStartAnswer { kIgnore, kClearReferences, kFind };
// Asks the question of a failed start: "Clear"/"Yes" clears the references,
// "Find" looks for the lost sample.
FailedStartAnswer AskAboutFailedStart(MessageBox& box, const std::string& path, int code);

}  // namespace tamberline
