#pragma once

namespace tamberline {

// The console's start-up, in order. The console's own work (header texts,
// the session) sits between the parts' steps; within one step the parts run
// in the order they were registered.
enum class StartStep {
    kMediaLibrary,
    kFolderTreeFiller,
    kMediaFramework,
    kTimecodeSources,
    kGamePorts,
    kMediaGraphs,
    kOutputs,
    kDeviceSnapshot,
    kHostAddress,  // the console shows " Loading session " before this step
    kNetworkMenu,
    kSession,  // the console restores the session
    kStartWorker,
    kTriggerPorts,
    kStatus,  // start-up is complete from here on
};

// The exit, in order. Steps that return false keep the program running.
enum class ExitStep {
    kAskRunning,
    kConfirmDiscard,  // the console asks about unsaved changes
    kStopAll,
    kRunLogCheck,
    kStopTick,  // the console stops its tick and timer
    kCloseLink,
    kClosePorts,
};

// The teardown after a confirmed exit, in order.
enum class TeardownStep {
    kGamePorts,
    kStartWorker,
    kMediaGraphs,
    kAudioEngine,
    kHelpWindow,
    kStartedPrograms,
    kLinkSocket,
};

// What one tick of the console's 10 ms timer tells the parts.
struct TickState {
    bool oddTick = false;  // timecode triggers fire on every second tick
    bool startupComplete = false;
    bool ltcReceiving = false;
    bool mtcReceiving = false;
};

// One subsystem as the console sees it: its steps of start-up, exit and
// teardown, and its share of the tick. The console runs through the parts
// registered with it; a new subsystem adds a part and changes nothing here.
// Every hook runs on the GUI thread and must not wait for I/O.
class ConsolePart {
public:
    virtual ~ConsolePart() = default;

    // False ends the start-up (the part has shown its message); the
    // process then ends with exit code 0.
    virtual bool Start(StartStep /*step*/) { return true; }
    // False keeps the program running.
    virtual bool Exit(ExitStep /*step*/) { return true; }
    virtual void Teardown(TeardownStep /*step*/) {}

    virtual void Tick(const TickState& /*state*/) {}
    // About 2.5 s after the last device arrived or left.
    virtual void HardwareCheck() {}
    // LTC or MIDI timecode stopped arriving.
    virtual void TimecodeLost() {}
    // A new second of the local clock while no timecode arrives. `jumped`:
    // the clock did not move on by one second (start, a clock change).
    virtual void ClockSecond(int /*secondOfDay*/, bool /*jumped*/) {}
};

}  // namespace tamberline
