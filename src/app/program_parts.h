#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "playback/output_table.h"

namespace tamberline {

class Console;
class ConsolePart;
class ConsoleRunControl;
class ConsoleModel;
class ConsoleFinder;
class HelpViewer;
class LinkState;
class NetLinkPart;
class ProgramLinkHost;
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
class TimecodeTriggers;

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
        // The network link: the one link role, the console it shows, and
        // how an open question is closed when the requester withdraws.
        LinkState& link;
        ConsoleModel& model;
        std::function<void()> closeOpenQuestion;
    };

    explicit ProgramParts(const Services& services);
    ~ProgramParts();

    void RegisterWith(Console& console);
    OutputsPart& outputs() { return *outputs_; }
    const OutputsPart& outputs() const { return *outputs_; }
    // The "Setup" item of the "Midi" menu.
    void SetupMidiPorts();
    NetLinkPart& link() { return *link_; }
    ConsoleFinder& consoleFinder() { return *finder_; }

private:
    void Add(std::unique_ptr<ConsolePart> part);
    void AddMidi(const Services& services);
    void AddLink(const Services& services);
    int ChooseMidiPorts();

    std::vector<std::unique_ptr<ConsolePart>> owned_;
    std::vector<ConsolePart*> order_;
    OutputsPart* outputs_ = nullptr;
    PortSwitches& ports_;
    ConsoleRunControl& run_;
    SystemClock clock_;
    std::function<int(MidiDriver&)> chooseMidiPorts_;
    // Trigger ports: what they share, then each port.
    std::unique_ptr<StatusRelay> statusRelay_;
    std::unique_ptr<LtcPresence> ltc_;
    std::unique_ptr<TimecodeTriggers> timecode_;
    std::unique_ptr<MidiDriver> midiDriver_;
    std::unique_ptr<MidiTriggerTarget> midiTarget_;
    std::unique_ptr<MidiPorts> midi_;
    std::unique_ptr<ProgramLinkHost> linkHost_;
    std::unique_ptr<ConsoleFinder> finder_;
    NetLinkPart* link_ = nullptr;
};

}  // namespace tamberline
