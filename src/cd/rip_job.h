#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cd/cd_disc.h"

namespace tamberline {

// One track as the ripper reads it.
struct RipTrackPlan {
    int number = 0;
    int32_t lsn = 0;     // first sector
    int32_t length = 0;  // sectors
    bool audio = true;
    // The next track's pregap is not known: trailing all-zero sectors (at
    // most two seconds) are dropped at the end instead.
    bool trimSilentTail = false;
};

// The track table: a track ends where the next
// one's pregap (index 0) begins when the disc records it, else at the next
// track's start less any digital silence of at most 150 sectors; never a
// fixed 150 sectors, which cut audio from gapless discs.
std::vector<RipTrackPlan> PlanRip(const DiscToc& toc);

// Room for the whole disc: (lead-out − first start) × 2352 + 2048 bytes.
uint64_t RipSpaceNeeded(const DiscToc& toc);
// False only when the free space of `folder`'s file system is known and
// smaller than `bytes`.
bool HasFreeSpace(const std::string& folder, uint64_t bytes);
// Creates every missing level; appends a trailing '/' to `folder`.
bool EnsureFolderExists(std::string& folder);
// folder + name + ".wav", else folder + name + " (%d).wav" with the first
// free number.
std::string ChooseWavPath(const std::string& folder, const std::string& name);

// The 44-byte header of a WAV file holding `dataSize` bytes of CD audio.
void WriteWavHeader(uint8_t* out, uint32_t dataSize);
// Counts loud samples (outside −327..327) in the 4-byte frames of `bytes`;
// returns the index of the frame where writing starts (after more than 4
// were counted since `count` began), or -1.
int FindLeadInEnd(const uint8_t* bytes, size_t frames, int& count);

class RipEvents {
public:
    virtual ~RipEvents() = default;
    virtual void FolderReady(const std::string& /*folder*/) {}
    virtual void TrackStarted(int track, int steps) = 0;
    virtual void Step(int done) = 0;
    virtual void TrackEnded() = 0;
    virtual void TrackWritten(int /*track*/, const std::string& /*path*/) {}
    // A message for the operator (text and message-box flags).
    virtual void Message(const std::string& text, unsigned flags) = 0;
    // Posted exactly once, on every way out of the worker.
    virtual void Done() = 0;
};

using DiscOpener = std::function<std::unique_ptr<CdDisc>(const std::string&, std::string*)>;

struct RipRequest {
    std::string source;  // drive or image
    std::string folder;  // destination
    bool suppressLeadIn = true;
    std::vector<bool> selected;      // by track number − 1; missing entries: selected
    std::vector<std::string> names;  // by track number − 1 (titles, may be empty)
    DiscOpener open;                 // OpenCdDisc unless set
    // Test hook: called before each chunk is read (track, chunk index).
    std::function<void(int, int)> beforeChunk;
};

class RipJob {
public:
    RipJob(RipRequest request, RipEvents& events);
    ~RipJob();
    RipJob(const RipJob&) = delete;
    RipJob& operator=(const RipJob&) = delete;

    // Clears the abort flag, then starts the worker; a Cancel from here on
    // is never lost.
    void Start();
    void Cancel() { abort_.store(true); }
    bool cancelled() const { return abort_.load(); }
    void Wait();

private:
    void Run();
    bool RipTrack(CdDisc& disc, const RipTrackPlan& plan, const std::string& name,
                  std::vector<uint8_t>& buffer);

    RipRequest request_;
    RipEvents& events_;
    std::atomic<bool> abort_{false};
    std::thread worker_;
};

}  // namespace tamberline
