#pragma once

#include <array>
#include <atomic>
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
class ControlThread;
class MediaGraph;
class RunLog;
class SoundSystem;

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

struct RunServices {
    RunHost* host = nullptr;
    RunLog* runLog = nullptr;  // may be null: nothing is logged
    MidiOutQueue* midiOut = nullptr;
    RunLink* link = nullptr;
    AudioSinkCatalog* catalog = nullptr;
    // Measures songlist entries; the media detector when empty.
    MediaLengthFn mediaLength;
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
    // then frees the media and leaves the button as it was, idle. 0 when
    // ready; `record` gets what was learnt.
    int ExamineRecord(int button, ButtonRecord& record);

    // Operations.
    int PrepareButton(int button);
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

    // Preparing.
    int OutputEntryOf(const ButtonRecord& record) const;
    int LoadSonglist(int button);
    int PrepareOnEngine(int button, const std::string& file, bool plain);
    int PrepareOnGraph(int button, const std::string& file, int entry);
    bool CreateSegmentStream(int button, const std::string& file);
    bool QueueSegment(int button, int slot, bool toEnd);
    void ReadFileFacts(int button, const std::string& file);
    uint32_t PreparedDurationMs(int button);
    void LimitFades(int button);

    // Starting and stopping.
    void SetStartPosition(int button);
    void StopGroups(int button);
    void LockBuzzers();
    void SilenceAndHalt(int button);
    void EndRun(int button);
    void MidiNote(int button, bool on);
    void WriteRunLog(int button);

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
    bool examining_ = false;
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
