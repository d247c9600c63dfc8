#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/button_record.h"

namespace tamberline {

// What the grid shows of one button's playback; a copy taken at one moment.
struct ButtonRunView {
    bool running = false;
    bool paused = false;
    bool fadingIn = false;
    bool fadingOut = false;
    bool locked = false;
    int32_t remainingMs = 0;
    uint32_t playedMs = 0;
    int songsLeft = 0;  // entries left in a playing songlist, 0 when none
    bool playsSegments = false;

    bool IsIdle() const { return !running && !paused; }
};

// The console's way to run buttons. Called on the GUI thread; the
// implementation hands the work to the control thread and publishes the
// views safely, so State() never waits for an engine.
class RunControl {
public:
    virtual ~RunControl() = default;

    virtual void StartButton(int button) = 0;
    virtual void ReleaseButton(int button) = 0;
    virtual void StopButton(int button) = 0;
    virtual void StopAll() = 0;
    // A button that plays play-list segments leaves its loops and plays on
    // to the end.
    virtual void SetReleaseToEnd(int button) = 0;
    virtual void ClearBuzzerLocks() = 0;
    // Trigger starts, in ascending order within one pass.
    virtual void RequestStarts(const std::vector<int>& buttons) = 0;

    virtual ButtonRunView State(int button) const = 0;
    virtual void SetPlayedMs(int button, uint32_t ms) = 0;
    // The record changed: the file is prepared afresh at the next start.
    virtual void MarkForReload(int button) = 0;
    // A session file was loaded: the run log's next entry carries its heading.
    virtual void NoteSessionLoaded(const std::string& /*path*/) {}

    // Opens `record`'s file for `button` as a start would, writes what it
    // learns (length, size, channels, segments) into `record`, and frees
    // the media again. 0 when ready, else the failure code of preparing.
    virtual int PrepareButton(int button, ButtonRecord& record) = 0;
};

}  // namespace tamberline
