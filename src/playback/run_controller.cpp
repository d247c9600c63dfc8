#include "playback/run_controller.h"

#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace tamberline {

namespace {

bool Valid(int button) {
    return button >= 0 && button < kButtonCount;
}

}  // namespace

RunController::RunController(const RunServices& services)
    : runner_(control_, WithFileWork(services)) {}

// File work goes to the workers; its result comes back in the order of the
// control thread's commands.
RunServices RunController::WithFileWork(RunServices services) {
    services.fileWork = [this](std::function<void()> work, std::function<void()> done) {
        ++filesOut_;
        const bool handed = workers_.Run([this, work = std::move(work), done = std::move(done)] {
            work();
            control_.Post([this, done = std::move(done)] {
                done();
                --filesOut_;
            });
        });
        if (!handed) {
            --filesOut_;  // shutting down: nothing will come back
        }
    };
    return services;
}

void RunController::Drain() {
    control_.Drain();
    while (filesOut_.load() != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        control_.Drain();
    }
}

RunController::~RunController() {
    Shutdown();
}

void RunController::StartTicking() {
    passes_ = PlaybackPasses(clock_.TickCount());
    control_.SetTick(std::chrono::milliseconds(10), [this] { Tick(); });
}

void RunController::Shutdown() {
    control_.SetTick(std::chrono::milliseconds(10), {});
    // The file work ends first: what it brings back still finds the
    // control thread, and no worker touches a graph after this.
    workers_.Stop();
    control_.Stop();
}

void RunController::Tick() {
    const PlaybackPasses::Due due = passes_.Next(clock_.TickCount());
    runner_.RunFades(due.fadeElapsedMs);
    preview_.Tick();
    if (due.clockElapsedMs) {
        runner_.RunClocks(*due.clockElapsedMs);
    }
}

void RunController::SetEngine(SoundSystem* engine) {
    control_.Post([this, engine] {
        preview_.SetEngine(engine);
        runner_.SetEngine(engine);
    });
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

void RunController::LoadRecord(int button, const ButtonRecord& record, uint32_t version) {
    control_.Post([this, button, record, version] { runner_.LoadRecord(button, record, version); });
}

void RunController::ResetStartRequests() {
    control_.Post([this] { runner_.Requests().Reset(); });
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
    runner_.Requests().StopAll([this] { runner_.StopAll(); });
}

void RunController::RequestStarts(const std::vector<int>& buttons) {
    runner_.Requests().Request(buttons);
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

void RunController::OnMediaEvent(int button) {
    control_.Post([this, button] { runner_.OnMediaEvent(button); });
}

// The caller may give up waiting: what the control thread writes lives in
// shared state, never on the caller's stack.
template <typename T>
struct RunController::Reply {
    T value{};
    std::promise<void> done;
};

int RunController::PrepareRecord(int button, ButtonRecord& record, std::chrono::milliseconds wait) {
    if (!Valid(button)) {
        return kFileMissing;
    }
    struct Examined {
        ButtonRecord record;
        int code = kFileMissing;
    };
    auto reply = std::make_shared<Reply<Examined>>();
    reply->value.record = record;
    std::future<void> done = reply->done.get_future();
    const bool posted = control_.Post([this, button, reply] {
        runner_.ExamineRecord(button, reply->value.record,
                              [reply](int code, const ButtonRecord& learnt) {
                                  reply->value.record = learnt;
                                  reply->value.code = code;
                                  reply->done.set_value();
                              });
    }) != 0;
    if (!posted || done.wait_for(wait) != std::future_status::ready) {
        return kFileMissing;
    }
    record = reply->value.record;
    return reply->value.code;
}

int RunController::NextRunningGraphButton(int from, std::chrono::milliseconds wait) {
    auto reply = std::make_shared<Reply<int>>();
    std::future<void> done = reply->done.get_future();
    const bool posted = control_.Post([this, from, reply] {
        reply->value = runner_.NextRunningGraphButton(from);
        reply->done.set_value();
    }) != 0;
    if (!posted || done.wait_for(wait) != std::future_status::ready) {
        return -1;
    }
    return reply->value;
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
