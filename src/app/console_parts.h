#pragma once

#include <string>

#include "app/main_tick.h"

namespace tamberline {

enum class TriggerPort { kSmpte, kMidi, kPbus, kGamePort };

// The steps of start-up, exit and teardown that belong to other parts of
// the program: the media library, outputs, run control, triggers, link.
// Each one does nothing until its part is plugged in.
class ConsoleParts : public TickHooks {
public:
    // Start-up.
    virtual bool InitialiseMediaLibrary() { return true; }
    virtual void StartFolderTreeFiller() {}  // not built yet: file browser pre-fill
    virtual bool MediaFrameworkPresent() { return true; }
    virtual void FillTimecodeSources() {}  // not built yet: timecode reader
    virtual void CreateGamePorts() {}      // not built yet: game ports
    virtual void CreateMediaGraphs() {}
    virtual void BuildOutputs() {}
    virtual void SnapshotDevices() {}  // not built yet: device hot-plug
    virtual std::string ResolveHostAddress() { return {}; }
    virtual void SetNetworkMenuText() {}  // not built yet: network link
    virtual void StartStartWorker() {}
    virtual void OpenPort(TriggerPort) {}  // not built yet: trigger ports
    virtual void ShowCueAndPortStatus() {}

    // Run control and the parts the session calls on.
    virtual void StopButton(int /*button*/) {}
    virtual bool IsPlayingOrPaused(int /*button*/) const { return false; }
    virtual void MarkForReload(int /*button*/) {}
    virtual void RebuildTimecodeTable() {}                // not built yet: timecode triggers
    virtual void RunSampleCheck() {}                      // not built yet: lost-sample check
    virtual bool IsLinkedSlave() const { return false; }  // not built yet: network link
    virtual void TellLinkSessionChanged() {}              // not built yet: network link

    // Exit.
    // The first button (from `from` on) whose media graph runs, or -1.
    virtual int NextRunningGraphButton(int /*from*/) { return -1; }
    virtual void StopAll() {}
    virtual bool RunLogExitCheck() { return true; }  // not built yet: run log
    virtual void CloseLink() {}                      // not built yet: network link
    virtual void ClosePort(TriggerPort) {}           // not built yet: trigger ports

    // Teardown.
    virtual void ReleaseGamePorts() {}  // not built yet: game ports
    virtual void StopStartWorker() {}
    virtual void ReleaseMediaGraphs() {}
    virtual void ReleaseAudioEngine() {}
    virtual void CloseHelpWindow() {}     // not built yet: help window
    virtual void EndStartedPrograms() {}  // not built yet: editor, control panels
    virtual void ReleaseLinkSocket() {}   // not built yet: network link
};

}  // namespace tamberline
