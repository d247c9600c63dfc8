#include "app/program_parts.h"

#include "app/console.h"
#include "app/console_model.h"
#include "app/console_run_control.h"
#include "app/port_switches.h"
#include "app/program_link_host.h"
#include "app/program_port_hooks.h"
#include "app/run_control_part.h"
#include "files/folder_tree_filler_part.h"
#include "help/help_service.h"
#include "net/console_discovery.h"
#include "net/link_state.h"
#include "net/net_link_part.h"
#include "playback/graph/media_library_part.h"
#include "playback/media_graphs_part.h"
#include "playback/outputs_part.h"
#include "triggers/ltc_presence.h"
#include "triggers/midi/midi_part.h"
#include "triggers/midi/midi_ports.h"
#include "triggers/midi/midi_run_target.h"
#include "triggers/midi/rtmidi_driver.h"
#include "triggers/status_relay.h"
#include "triggers/timecode_triggers.h"

namespace tamberline {

ProgramParts::ProgramParts(const Services& services)
    : ports_(services.ports), run_(services.run), chooseMidiPorts_(services.chooseMidiPorts) {
    Add(std::make_unique<MediaLibraryPart>(services.box));
    Add(std::make_unique<FolderTreeFillerPart>(services.registry));
    Add(std::make_unique<MediaGraphsPart>(services.run.controller()));
    auto outputs = std::make_unique<OutputsPart>(services.registry, services.box, services.header,
                                                 services.run.controller());
    outputs_ = outputs.get();
    Add(std::move(outputs));
    RunController& controller = services.run.controller();
    Add(std::make_unique<RunControlPart>(
        services.run, services.session, services.box,
        [&controller](int from) { return controller.NextRunningGraphButton(from); }));
    AddMidi(services);
    AddLink(services);
    // The trigger ports open after run control's thread runs, in the
    // switches' own order.
    order_.push_back(&services.ports);
    Add(std::make_unique<HelpPart>(services.help));
}

void ProgramParts::Add(std::unique_ptr<ConsolePart> part) {
    order_.push_back(part.get());
    owned_.push_back(std::move(part));
}

void ProgramParts::AddMidi(const Services& services) {
    statusRelay_ = std::make_unique<StatusRelay>(services.statusField);
    ltc_ = std::make_unique<LtcPresence>();
    timecode_ = std::make_unique<TimecodeTriggers>();
    midiDriver_ = std::make_unique<RtMidiDriver>();
    midiTarget_ = std::make_unique<MidiRunTarget>(services.run.controller());
    StatusRelay& relay = *statusRelay_;
    midi_ = std::make_unique<MidiPorts>(MidiPorts::Services{
        services.registry, services.box, *midiDriver_, clock_, services.run.midiOut(), *midiTarget_,
        *timecode_, *ltc_,
        [&relay](int field, const std::string& text) { relay.Show(field, text); },
        // A linked master plays nothing, so it echoes nothing either.
        [&link = services.link] { return link.IsLinkedMaster(); },
        [this] { return ChooseMidiPorts(); }});
    MidiPorts& midi = *midi_;
    services.portHooks.Plug(TriggerPort::kMidi,
                            {[&midi] { return midi.Open(); }, [&midi] { midi.Close(); }});
    MainTick& tick = services.tick;
    Add(std::make_unique<MidiPart>(midi, [&tick] { tick.NoteMtcFrame(); }));
}

void ProgramParts::AddLink(const Services& services) {
    ConsoleModel& model = services.model;
    linkHost_ = std::make_unique<ProgramLinkHost>(services.run, model.session(), model.grid(),
                                                  model.menu(), services.closeOpenQuestion);
    finder_ = MakeAvahiFinder();
    auto part = std::make_unique<NetLinkPart>(
        NetLinkPart::Services{services.link, *linkHost_, services.box, clock_, "0.0.0.0", kLinkPort,
                              MakeAvahiAnnouncer()});
    link_ = part.get();
    NetLink& link = part->link();
    linkHost_->SetLink(&link);
    services.run.SetLinkSender(&link);
    model.sessionHost().SetLinkSessionChanged([&link] { link.SendResync(); });
    Add(std::move(part));
}

int ProgramParts::ChooseMidiPorts() {
    return chooseMidiPorts_ ? chooseMidiPorts_(*midiDriver_) : 0;
}

void ProgramParts::SetupMidiPorts() {
    SetupTriggerPort(ports_, TriggerPort::kMidi, [this] { return ChooseMidiPorts(); });
}

ProgramParts::~ProgramParts() {
    // Run control's thread outlives the parts: it must not send through a
    // link that is gone.
    run_.SetLinkSender(nullptr);
}

void ProgramParts::RegisterWith(Console& console) {
    for (ConsolePart* part : order_) {
        console.AddPart(*part);
    }
}

}  // namespace tamberline
