// A graph's stop and pause fade out before they take effect. The fade is
// applied ahead of the renderer, which still holds the sound before it, so
// the state change waits until the renderer has played the fade, on one of
// GStreamer's threads: the caller never waits for it.
#include <gst/gst.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "playback/graph/gain_ramp.h"
#include "playback/graph/media_graph.h"

namespace tamberline {

namespace {

// Longer than any renderer's buffer: a renderer that never reports its
// position is halted then anyway.
constexpr auto kHaltLimit = std::chrono::milliseconds(400);

}  // namespace

// Shared by a graph and the halts it handed out.
struct GraphHalt {
    std::mutex mutex;
    std::condition_variable settled;
    uint64_t generation = 0;
    bool pending = false;
};

namespace {

struct HaltJob {
    GstElement* pipeline;  // a reference of the job's own
    std::shared_ptr<GainRamp> ramp;
    std::shared_ptr<GraphHalt> halt;
    uint64_t generation;
    GstState state;
};

bool Superseded(const HaltJob& job) {
    std::lock_guard lock(job.halt->mutex);
    return job.halt->generation != job.generation;
}

// The fade has passed the renderer.
bool FadeHeard(const HaltJob& job) {
    if (!job.ramp->FadedOut()) {
        return false;
    }
    const int64_t silentFrom = job.ramp->SilentFromNs();
    gint64 position = 0;
    return silentFrom >= 0 &&
           gst_element_query_position(job.pipeline, GST_FORMAT_TIME, &position) &&
           position >= silentFrom;
}

void RunHalt(GstElement*, gpointer data) {
    auto* job = static_cast<HaltJob*>(data);
    const auto until = std::chrono::steady_clock::now() + kHaltLimit;
    while (!FadeHeard(*job) && std::chrono::steady_clock::now() < until) {
        if (Superseded(*job)) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::lock_guard lock(job->halt->mutex);
    if (job->halt->generation == job->generation) {
        gst_element_set_state(job->pipeline, job->state);
        job->halt->pending = false;
        job->halt->settled.notify_all();
    }
}

void FreeHalt(gpointer data) {
    auto* job = static_cast<HaltJob*>(data);
    gst_object_unref(job->pipeline);
    delete job;
}

}  // namespace

bool MediaGraph::HaltAfterFade(int state) {
    if (state_ != GraphState::kRunning || ended_.load() || !ramp_) {
        return false;
    }
    if (!halt_) {
        halt_ = std::make_shared<GraphHalt>();
    }
    ramp_->FadeOut();
    uint64_t generation = 0;
    {
        std::lock_guard lock(halt_->mutex);
        generation = ++halt_->generation;
        halt_->pending = true;
    }
    auto* job = new HaltJob{GST_ELEMENT(gst_object_ref(pipeline_)), ramp_, halt_, generation,
                            static_cast<GstState>(state)};
    gst_element_call_async(pipeline_, &RunHalt, job, &FreeHalt);
    // What the renderer holds now is faded: a Run fetches it again.
    levelsStale_ = true;
    return true;
}

void MediaGraph::CancelHalt() {
    if (!halt_) {
        return;
    }
    std::lock_guard lock(halt_->mutex);
    ++halt_->generation;
    halt_->pending = false;
    halt_->settled.notify_all();
}

void MediaGraph::WaitForHalt() {
    if (!halt_) {
        return;
    }
    std::unique_lock lock(halt_->mutex);
    halt_->settled.wait_for(lock, kHaltLimit + std::chrono::milliseconds(100),
                            [this] { return !halt_->pending; });
}

bool MediaGraph::FadingOut() const {
    if (!halt_) {
        return false;
    }
    std::lock_guard lock(halt_->mutex);
    return halt_->pending;
}

void MediaGraph::AttachRamp(GstElement* volume) {
    ramp_ = std::make_shared<GainRamp>();
    GstPad* pad = gst_element_get_static_pad(volume, "sink");
    GainRamp::Attach(pad, ramp_);
    gst_object_unref(pad);
}

}  // namespace tamberline
