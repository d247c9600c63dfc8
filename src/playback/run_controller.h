#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"
#include "playback/button_runner.h"
#include "playback/control_thread.h"
#include "playback/engine_preview.h"
#include "playback/graph/media_event.h"
#include "playback/io_workers.h"
#include "playback/playback_passes.h"

namespace tamberline {

// What a button's run looks like from outside, taken from the published
// state without waiting for the control thread.
struct RunSnapshot {
    bool running = false;
    bool paused = false;
    bool fadingIn = false;
    bool fadingOut = false;
    bool locked = false;
    bool playsSegments = false;
    int songsLeft = 0;
    int32_t remainingMs = 0;
    uint32_t playedMs = 0;
};

// Run control on its own thread. Every call may come from any thread and
// is executed on the control thread in the order it was made; the playback
// tick runs there every 10 ms, measured on a steady clock, so neither a
// blocked GUI nor a slow caller holds up fades, clocks or starts.
class RunController final : public MediaEventSink {
public:
    explicit RunController(const RunServices& services);
    ~RunController() override;
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    // Starts the 10 ms tick (the StartWorker's life begins here).
    void StartTicking();
    // Stops the tick and the thread; what was posted before still runs.
    void Shutdown();

    void SetEngine(SoundSystem* engine);
    void SetGraphs(std::vector<MediaGraph*> graphs);
    void SetOutputs(const OutputTable& table, const OutputList& list);
    void SetCatalog(AudioSinkCatalog* catalog);
    void SetShuttingDown();
    void LoadRecord(int button, const ButtonRecord& record, uint32_t version = 0);
    // A new session: every start group armed, no start request pending.
    void ResetStartRequests();

    void StartButton(int button);
    void ReleaseButton(int button);
    void StopButton(int button);
    // Closes the start gate at once on the caller's thread, then stops all.
    void StopAll();
    void RequestStarts(const std::vector<int>& buttons);
    void SetReleaseToEnd(int button);
    void ClearBuzzerLocks();
    void SetPlayedMs(int button, uint32_t ms);
    // Prepares `record` for `button` as a start would and frees the media
    // again; waits for the control thread, at most kPrepareWait. 0 when
    // ready, the missing-file code when it gave up.
    int PrepareRecord(int button, ButtonRecord& record,
                      std::chrono::milliseconds wait = kPrepareWait);
    // -1 when none runs or the control thread did not answer in kQueryWait.
    int NextRunningGraphButton(int from, std::chrono::milliseconds wait = kQueryWait);
    static constexpr std::chrono::milliseconds kPrepareWait{30'000};
    static constexpr std::chrono::milliseconds kQueryWait{5'000};

    RunSnapshot Snapshot(int button) const;
    // Any GStreamer thread: the button's graph has events.
    void OnMediaEvent(int button) override;

    // Blocks until everything posted so far has run, and the file work
    // handed out so far with it (tests, shutdown).
    void Drain();
    ControlThread& control() { return control_; }
    // The button setup's preview voice on the engine run control plays on.
    EnginePreview& preview() { return preview_; }
    // Only while the control thread is idle (tests).
    ButtonRunner& runner() { return runner_; }

private:
    template <typename T>
    struct Reply;
    void Tick();
    RunServices WithFileWork(RunServices services);

    ControlThread control_;
    IoWorkers workers_;
    std::atomic<int> filesOut_{0};
    ButtonRunner runner_;
    EnginePreview preview_{
        [this](std::function<void()> call) { return control_.Post(std::move(call)) != 0; }};
    SystemClock clock_;
    PlaybackPasses passes_{clock_.TickCount()};
};

}  // namespace tamberline
