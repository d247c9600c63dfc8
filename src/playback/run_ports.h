#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "base/spsc_ring.h"
#include "session/button_record.h"

namespace tamberline {

// What run control asks of the program around it. Called on the control
// thread; implementations hand questions and record changes to the GUI
// thread and never wait for it.
class RunHost {
public:
    virtual ~RunHost() = default;
    // Run data run control wrote into its copy of the record (clamped
    // varispeed, lowered fades, length, size, channels, segments).
    // `version` is the one that copy was loaded with: data learnt from an
    // older copy must not overwrite an edit made since.
    virtual void RecordChanged(int button, const ButtonRecord& record, uint32_t version) = 0;
    // A start failed with PrepareResult `code` 1..4: ask the operator.
    virtual void AskAboutFailedStart(int button, const std::string& path, int code) = 0;
    // Some songlist entries were missing; shown without holding up the start.
    virtual void ShowSonglistWarning() = 0;
    // A file stopped being readable while it played (kind 1 of the
    // sample-error report): the cue has been stopped.
    virtual void ReportPlayError(int /*button*/, const std::string& /*path*/) {}
};

// The master/slave link's side of run control: commands 9 start, 10
// started, 11 release, 12 stopped, 14 stop all. Does nothing until the
// network link is built.
class RunLink {
public:
    virtual ~RunLink() = default;
    virtual bool IsLinkedMaster() const { return false; }
    virtual bool IsLinkedSlave() const { return false; }
    virtual void Send(int /*command*/, int /*button*/) {}
};

namespace link_command {
inline constexpr int kStart = 9;
inline constexpr int kStarted = 10;
inline constexpr int kRelease = 11;
inline constexpr int kStopped = 12;
inline constexpr int kStopAll = 14;
}  // namespace link_command

// Short MIDI messages for the MIDI outputs: 2048 entries, read by the MIDI
// sender. Several threads may write: a writer holds a short lock only to
// put its whole batch in, so the notes of one start never interleave with
// another's and no two writers take the same slot. A batch that does not
// fit is refused and counted, never written over unread messages.
class MidiOutQueue {
public:
    static constexpr uint32_t kSize = 2048;

    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }
    void SetEnabled(bool on) { enabled_.store(on, std::memory_order_relaxed); }

    // Any thread: queues all of `messages` and wakes the sender, or none
    // of them when they do not fit.
    bool Queue(std::span<const uint32_t> messages);
    // Batches refused because the queue was full.
    uint64_t refused() const { return refused_.load(std::memory_order_relaxed); }

    // The reader (one thread at a time).
    bool Pop(uint32_t& message) { return ring_.Pop(message); }
    // The reader: waits until something was queued since the last wait, the
    // sender is interrupted or `timeout` passes.
    void Wait(std::chrono::milliseconds timeout);
    void Interrupt();

private:
    std::mutex writers_;
    SpscRing<uint32_t> ring_{kSize};
    std::atomic<bool> enabled_{false};
    std::atomic<uint64_t> refused_{0};
    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool woken_ = false;
};

}  // namespace tamberline
