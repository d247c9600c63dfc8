#include "playback/run_controller.h"

#include <chrono>
#include <future>

namespace tamberline {

namespace {

bool Valid(int button) {
    return button >= 0 && button < kButtonCount;
}

}  // namespace

RunController::RunController(const RunServices& services) : runner_(control_, services) {}

RunController::~RunController() {
    Shutdown();
}

void RunController::StartTicking() {
    passes_ = PlaybackPasses(clock_.TickCount());
    control_.SetTick(std::chrono::milliseconds(10), [this] { Tick(); });
}

void RunController::Shutdown() {
    control_.SetTick(std::chrono::milliseconds(10), {});
    control_.Stop();
}

void RunController::Tick() {
    const PlaybackPasses::Due due = passes_.Next(clock_.TickCount());
    runner_.RunFades(due.fadeElapsedMs);
    if (due.clockElapsedMs) {
        runner_.RunClocks(*due.clockElapsedMs);
    }
}

void RunController::SetEngine(SoundSystem* engine) {
    control_.Post([this, engine] { runner_.SetEngine(engine); });
}

void RunController::SetGraphs(std::vector<MediaGraph*> graphs) {
    control_.Post([this, graphs = std::move(graphs)] { runner_.SetGraphs(graphs); });
}

void RunController::SetOutputs(const OutputTable& table, const OutputList& list) {
    control_.Post([this, table, list] { runner_.SetOutputs(table, list); });
}

void RunController::SetCatalog(AudioSinkCatalog* catalog) {
    control_.Post([this, catalog] { runner_.SetCatalog(catalog); });
}

void RunController::SetShuttingDown() {
    control_.Post([this] { runner_.SetShuttingDown(true); });
}

void RunController::LoadRecord(int button, const ButtonRecord& record) {
    control_.Post([this, button, record] { runner_.LoadRecord(button, record); });
}

void RunController::StartButton(int button) {
    control_.Post([this, button] { runner_.StartButton(button); });
}

void RunController::ReleaseButton(int button) {
    control_.Post([this, button] { runner_.ReleaseButton(button); });
}

void RunController::StopButton(int button) {
    control_.Post([this, button] { runner_.StopButton(button); });
}

void RunController::StopAll() {
    runner_.Requests().CloseGate();
    control_.Post([this] { runner_.StopAll(); });
}

void RunController::RequestStarts(const std::vector<int>& buttons) {
    for (int button : buttons) {
        runner_.Requests().Request(button);
    }
}

void RunController::SetReleaseToEnd(int button) {
    control_.Post([this, button] { runner_.SetReleaseToEnd(button); });
}

void RunController::ClearBuzzerLocks() {
    control_.Post([this] { runner_.ClearBuzzerLocks(); });
}

void RunController::SetPlayedMs(int button, uint32_t ms) {
    control_.Post([this, button, ms] { runner_.SetPlayedMs(button, ms); });
}

void RunController::ClearReferences(const std::string& path) {
    control_.Post([this, path] { runner_.ClearReferences(path); });
}

void RunController::OnMediaEvent(int button) {
    control_.Post([this, button] { runner_.OnMediaEvent(button); });
}

int RunController::PrepareRecord(int button, ButtonRecord& record) {
    if (!Valid(button)) {
        return kFileMissing;
    }
    std::promise<int> result;
    std::future<int> done = result.get_future();
    control_.Post([this, button, &record, &result] {
        const ButtonRunState& state = runner_.State(button);
        if (state.running || state.paused) {
            runner_.StopButton(button);
        }
        const ButtonRecord kept = runner_.Record(button);
        runner_.LoadRecord(button, record);
        const int code = runner_.PrepareButton(button);
        record = runner_.Record(button);
        runner_.ReleaseButtonMedia(button);
        runner_.LoadRecord(button, kept);
        result.set_value(code);
    });
    // A stopped control thread never answers.
    if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        return kFileMissing;
    }
    return done.get();
}

int RunController::NextRunningGraphButton(int from) {
    std::promise<int> result;
    std::future<int> done = result.get_future();
    control_.Post(
        [this, from, &result] { result.set_value(runner_.NextRunningGraphButton(from)); });
    return done.wait_for(std::chrono::seconds(5)) == std::future_status::ready ? done.get() : -1;
}

RunSnapshot RunController::Snapshot(int button) const {
    RunSnapshot snapshot;
    if (!Valid(button)) {
        return snapshot;
    }
    const PublishedRun& p = runner_.Published(button);
    const uint32_t flags = p.flags.load(std::memory_order_acquire);
    snapshot.running = flags & view::kRunning;
    snapshot.paused = flags & view::kPaused;
    snapshot.fadingIn = flags & view::kFadingIn;
    snapshot.fadingOut = flags & view::kFadingOut;
    snapshot.locked = flags & view::kLocked;
    snapshot.playsSegments = flags & view::kSegments;
    snapshot.songsLeft = static_cast<int>(flags >> view::kSongsShift);
    snapshot.remainingMs = p.remainingMs.load(std::memory_order_relaxed);
    snapshot.playedMs = p.playedMs.load(std::memory_order_relaxed);
    return snapshot;
}

}  // namespace tamberline
