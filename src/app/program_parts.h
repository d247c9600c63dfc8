#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "playback/output_table.h"

namespace tamberline {

class AsioControlPanels;
class CaptureSource;
class Console;
class LinkState;
class ListSelectionRunner;
class SmpteReader;
class TimecodeEngine;
class ConsolePart;
class ConsoleRunControl;
class HelpViewer;
class LtcPresence;
class MainTick;
class MessageBox;
class MidiDriver;
class MidiPorts;
class MidiTriggerTarget;
class OutputsPart;
class PortSwitches;
class ProgramPortHooks;
class Registry;
class Session;
class StatusRelay;

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
        // The "SMPTE Source" dialog and its "Device control" programs, and
        // the link role (none: never a master).
        ListSelectionRunner* smpteDialog = nullptr;
        AsioControlPanels* controlPanels = nullptr;
        const LinkState* link = nullptr;
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

private:
    void Add(std::unique_ptr<ConsolePart> part);
    void AddMidi(const Services& services);
    void AddSmpte(const Services& services);
    int ChooseMidiPorts();

    std::vector<std::unique_ptr<ConsolePart>> owned_;
    std::vector<ConsolePart*> order_;
    OutputsPart* outputs_ = nullptr;
    PortSwitches& ports_;
    Registry& registry_;
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
};

}  // namespace tamberline
