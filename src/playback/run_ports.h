#pragma once

#include <atomic>
#include <cstdint>
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
    virtual void HideVideo(int /*button*/) {}
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

// Short MIDI messages for the MIDI outputs: a ring of 2048 entries with one
// writer (the control thread) and one reader (the sender, once MIDI output
// is built). A full ring drops the message rather than wait.
class MidiOutQueue {
public:
    static constexpr uint32_t kSize = 2048;

    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }
    void SetEnabled(bool on) { enabled_.store(on, std::memory_order_relaxed); }

    bool Push(uint32_t message) { return ring_.Push(message); }
    bool Pop(uint32_t& message) { return ring_.Pop(message); }
    // Wakes the sender; nothing listens until MIDI output is built.
    void Signal() {}

private:
    SpscRing<uint32_t> ring_{kSize};
    std::atomic<bool> enabled_{false};
};

}  // namespace tamberline
