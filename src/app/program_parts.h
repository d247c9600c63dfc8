#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "base/clock.h"
#include "playback/output_table.h"

namespace tamberline {

class AsioControlPanels;
class CaptureSource;
class FileDialog;
class Console;
class ConsoleFinder;
class ConsoleModel;
class ConsolePart;
class ConsoleRunControl;
class GamePort;
class GameRunTarget;
class GstDeviceWatch;
class GstMediaDevices;
class HelpViewer;
class LinkState;
class ListSelectionRunner;
class LtcPresence;
class MainTick;
class MessageBox;
class MidiDriver;
class MidiPorts;
class MidiTriggerTarget;
class NetLinkPart;
class OutputsPart;
class PbusPort;
class PbusRunTarget;
class PortSwitches;
class ProgramLinkHost;
class ProgramPortHooks;
class Registry;
class Session;
class SmpteReader;
class StatusRelay;
class TimecodeEngine;
class TimecodeTriggers;
class UdevDeviceWatch;

// The subsystems of the running program, each one console part, made and
// registered with the console in start-up order. A new subsystem adds its
// part here.
class ProgramParts {
public:
    struct Services {
        Registry& registry;
        MessageBox& box;
        HeaderMessageFn header;
        ConsoleRunControl& run;
        Session& session;
        PortSwitches& ports;
        // The trigger ports plug their opening and closing in here.
        ProgramPortHooks& portHooks;
        // GUI thread: writes a status field.
        std::function<void(int field, const std::string& text)> statusField;
        MainTick& tick;
        // The "Setup Midi Ports" dialog: 9 when applied with a selection.
        std::function<int(MidiDriver&)> chooseMidiPorts;
        HelpViewer& help;
        // The "SMPTE Source" dialog and its "Device control" programs.
        ListSelectionRunner* smpteDialog = nullptr;
        AsioControlPanels* controlPanels = nullptr;
        // The "P-Bus Setup." dialog: 1 when applied.
        std::function<int()> choosePbusSetup;
        // Clears the console's status line.
        std::function<void()> clearStatusLine;
        // The network link: the one link role, the console it shows, and
        // how an open question is closed when the requester withdraws.
        LinkState& link;
        ConsoleModel& model;
        std::function<void()> closeOpenQuestion;
        // Where a full run log is saved away at exit.
        FileDialog* fileDialog = nullptr;
    };

    explicit ProgramParts(const Services& services);
    ~ProgramParts();

    void RegisterWith(Console& console);
    OutputsPart& outputs() { return *outputs_; }
    const OutputsPart& outputs() const { return *outputs_; }
    // The "Setup" item of the "Midi" menu.
    void SetupMidiPorts();
    // The "Setup" item of the "SMPTE" menu.
    void SetupSmpte();
    // The buttons' start times changed: the timecode triggers follow.
    void RebuildTimecodeTable();
    // The "Setup" item of the "P-Bus" menu.
    void SetupPbus();
    NetLinkPart& link() { return *link_; }
    ConsoleFinder& consoleFinder() { return *finder_; }

private:
    void Add(std::unique_ptr<ConsolePart> part);
    void AddMidi(const Services& services);
    void AddSmpte(const Services& services);
    void AddGamePort(const Services& services);
    void AddPbus(const Services& services);
    void AddHotplug(const Services& services);
    void AddLink(const Services& services);
    int ChooseMidiPorts();

    std::vector<std::unique_ptr<ConsolePart>> owned_;
    std::vector<ConsolePart*> order_;
    OutputsPart* outputs_ = nullptr;
    PortSwitches& ports_;
    Registry& registry_;
    ConsoleRunControl& run_;
    SystemClock clock_;
    std::function<int(MidiDriver&)> chooseMidiPorts_;
    // Trigger ports: what they share, then each port.
    std::unique_ptr<StatusRelay> statusRelay_;
    std::unique_ptr<LtcPresence> ltc_;
    std::unique_ptr<TimecodeEngine> timecode_;
    std::unique_ptr<MidiDriver> midiDriver_;
    std::unique_ptr<MidiTriggerTarget> midiTarget_;
    std::unique_ptr<MidiPorts> midi_;
    Session& session_;
    ListSelectionRunner* smpteDialog_ = nullptr;
    AsioControlPanels* controlPanels_ = nullptr;
    std::unique_ptr<CaptureSource> capture_;
    std::unique_ptr<SmpteReader> smpte_;
    // Where the controller thread's notices are handed to the GUI thread;
    // it outlives the port.
    std::unique_ptr<QObject> guiThread_;
    std::unique_ptr<GameRunTarget> gameTarget_;
    std::unique_ptr<GamePort> game_;
    std::unique_ptr<PbusRunTarget> pbusTarget_;
    std::unique_ptr<PbusPort> pbus_;
    std::unique_ptr<GstMediaDevices> mediaDevices_;
    // Device arrivals and departures, for the hardware check.
    std::unique_ptr<GstDeviceWatch> gstWatch_;
    std::unique_ptr<UdevDeviceWatch> udevWatch_;
    std::unique_ptr<ProgramLinkHost> linkHost_;
    std::unique_ptr<ConsoleFinder> finder_;
    NetLinkPart* link_ = nullptr;
};

}  // namespace tamberline
