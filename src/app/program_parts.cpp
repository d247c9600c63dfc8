#include "app/program_parts.h"

#include <QObject>

#include "app/asio_control_panel.h"
#include "app/console.h"
#include "app/console_model.h"
#include "app/console_run_control.h"
#include "app/main_tick.h"
#include "app/port_switches.h"
#include "app/program_link_host.h"
#include "app/program_port_hooks.h"
#include "app/run_control_part.h"
#include "app/smpte_setup.h"
#include "base/message_box.h"
#include "files/folder_tree_filler_part.h"
#include "help/help_service.h"
#include "net/console_discovery.h"
#include "net/link_state.h"
#include "net/net_link_part.h"
#include "playback/graph/media_library_part.h"
#include "playback/media_graphs_part.h"
#include "playback/outputs_part.h"
#include "session/run_log_size.h"
#include "session/session.h"
#include "triggers/game/game_port.h"
#include "triggers/game/game_port_part.h"
#include "triggers/game/game_run_target.h"
#include "triggers/hotplug/gst_media_devices.h"
#include "triggers/hotplug/hotplug_part.h"
#include "triggers/hotplug/udev_device_watch.h"
#include "triggers/ltc_presence.h"
#include "triggers/midi/midi_part.h"
#include "triggers/midi/midi_ports.h"
#include "triggers/midi/midi_run_target.h"
#include "triggers/midi/rtmidi_driver.h"
#include "triggers/pbus/pbus_port.h"
#include "triggers/pbus/pbus_run_target.h"
#include "triggers/status_relay.h"
#include "triggers/timecode/capture_reader.h"
#include "triggers/timecode/smpte_part.h"
#include "triggers/timecode/smpte_reader.h"
#include "triggers/timecode/timecode_engine.h"

namespace tamberline {

ProgramParts::ProgramParts(const Services& services)
    : ports_(services.ports),
      registry_(services.registry),
      run_(services.run),
      chooseMidiPorts_(services.chooseMidiPorts),
      session_(services.session),
      smpteDialog_(services.smpteDialog),
      controlPanels_(services.controlPanels) {
    Add(std::make_unique<MediaLibraryPart>(services.box));
    Add(std::make_unique<FolderTreeFillerPart>(services.registry));
    Add(std::make_unique<MediaGraphsPart>(services.run.controller()));
    MainTick& tick = services.tick;
    auto outputs = std::make_unique<OutputsPart>(services.registry, services.box, services.header,
                                                 services.run.controller(),
                                                 [&tick] { tick.NoteDeviceChange(true); });
    outputs_ = outputs.get();
    Add(std::move(outputs));
    RunController& controller = services.run.controller();
    Add(std::make_unique<RunControlPart>(
        services.run, services.session, services.box,
        [&controller](int from) { return controller.NextRunningGraphButton(from); }));
    AddMidi(services);
    AddSmpte(services);
    AddPbus(services);
    AddGamePort(services);
    AddLink(services);
    // The trigger ports open after run control's thread runs, in the
    // switches' own order.
    order_.push_back(&services.ports);
    Add(std::make_unique<HelpPart>(services.help));
    if (services.fileDialog) {
        Add(std::make_unique<RunLogPart>(services.run.runLog(), services.box,
                                         *services.fileDialog));
    }
    // Last: its messages come once every input has been restarted.
    AddHotplug(services);
}

void ProgramParts::Add(std::unique_ptr<ConsolePart> part) {
    order_.push_back(part.get());
    owned_.push_back(std::move(part));
}

void ProgramParts::AddMidi(const Services& services) {
    statusRelay_ = std::make_unique<StatusRelay>(services.statusField);
    ltc_ = std::make_unique<LtcPresence>();
    const LinkState& link = services.link;
    auto linkedMaster = [&link] { return link.IsLinkedMaster(); };
    RunController& controller = services.run.controller();
    timecode_ = std::make_unique<TimecodeEngine>(
        controller.control(),
        TimecodeSources::Services{
            clock_, *ltc_,
            [&controller](std::span<const int> buttons) {
                controller.RequestStarts(std::vector<int>(buttons.begin(), buttons.end()));
            },
            [&relay = *statusRelay_](const std::string& text) { relay.Show(15, text); },
            linkedMaster});
    midiDriver_ = std::make_unique<RtMidiDriver>();
    midiTarget_ = std::make_unique<MidiRunTarget>(services.run.controller());
    StatusRelay& relay = *statusRelay_;
    midi_ = std::make_unique<MidiPorts>(MidiPorts::Services{
        services.registry, services.box, *midiDriver_, clock_, services.run.midiOut(), *midiTarget_,
        *timecode_, *ltc_,
        [&relay](int field, const std::string& text) { relay.Show(field, text); },
        // A linked master plays nothing, so it echoes nothing either.
        linkedMaster, [this] { return ChooseMidiPorts(); }});
    MidiPorts& midi = *midi_;
    services.portHooks.Plug(TriggerPort::kMidi,
                            {[&midi] { return midi.Open(); }, [&midi] { midi.Close(); }});
    MainTick& tick = services.tick;
    auto part = std::make_unique<MidiPart>(midi, [&tick] { tick.NoteMtcFrame(); });
    PortSwitches& switches = services.ports;
    part->WatchDevices(*midiDriver_, [&switches] {
        if (switches.IsOn(TriggerPort::kMidi)) {
            switches.Disable(TriggerPort::kMidi, false);
            switches.Enable(TriggerPort::kMidi);
        }
    });
    Add(std::move(part));
}

void ProgramParts::AddPbus(const Services& services) {
    pbusTarget_ = std::make_unique<PbusRunTarget>(services.run.controller());
    StatusRelay& relay = *statusRelay_;
    PortSwitches& switches = services.ports;
    pbus_ = std::make_unique<PbusPort>(PbusPort::Services{
        services.registry, services.box, *pbusTarget_,
        [&relay](int field, const std::string& text) { relay.Show(field, text); },
        services.choosePbusSetup, [&switches] { switches.Disable(TriggerPort::kPbus, false); },
        &OpenablePbusPorts});
    PbusPort& pbus = *pbus_;
    services.portHooks.Plug(TriggerPort::kPbus,
                            {[&pbus] { return pbus.Open(); }, [&pbus] { pbus.Close(); }});
}

void ProgramParts::SetupPbus() {
    if (!pbus_->SetupPossible()) {
        ports_.Disable(TriggerPort::kPbus, false);
        return;
    }
    SetupTriggerPort(ports_, TriggerPort::kPbus, [this] {
        constexpr int kApplied = 1;
        constexpr int kAppliedForSwitches = 9;
        return pbus_->RunSetup() == kApplied ? kAppliedForSwitches : 0;
    });
}

void ProgramParts::AddGamePort(const Services& services) {
    gameTarget_ = std::make_unique<GameRunTarget>(services.run.controller());
    StatusRelay& relay = *statusRelay_;
    MainTick& tick = services.tick;
    // Controllers come and go on the controller thread; the tick is the
    // GUI thread's.
    guiThread_ = std::make_unique<QObject>();
    QObject* gui = guiThread_.get();
    game_ = std::make_unique<GamePort>(GamePort::Handlers{
        gameTarget_.get(),
        [&relay](int field, const std::string& text) { relay.Show(field, text); },
        [this, gui, &tick] {
            QMetaObject::invokeMethod(
                gui, [this, &tick] { tick.NoteDeviceChange(outputs_->built()); },
                Qt::QueuedConnection);
        }});
    GamePort& game = *game_;
    MessageBox& box = services.box;
    services.portHooks.Plug(TriggerPort::kGamePort, {[&game, &box] {
                                                         if (game.Open()) {
                                                             return true;
                                                         }
                                                         box.Show(
                                                             "No game port hardware\navailable.",
                                                             mb::kOk | mb::kIconExclamation);
                                                         return false;
                                                     },
                                                     [&game] { game.Close(); }});
    PortSwitches& switches = services.ports;
    Add(std::make_unique<GamePortPart>(
        game, box, [&switches] { switches.Disable(TriggerPort::kGamePort, false); }));
}

void ProgramParts::AddHotplug(const Services& services) {
    mediaDevices_ = std::make_unique<GstMediaDevices>();
    OutputsPart& outputs = *outputs_;
    Add(std::make_unique<HotplugPart>(
        services.box, *mediaDevices_,
        HotplugPart::Hooks{[&outputs] { outputs.Refresh(); }, services.clearStatusLine}));
    MainTick& tick = services.tick;
    auto changed = [&tick, &outputs] { tick.NoteDeviceChange(outputs.built()); };
    gstWatch_ = std::make_unique<GstDeviceWatch>(changed);
    udevWatch_ = std::make_unique<UdevDeviceWatch>(changed);

    // Outputs wait for the buttons that play on them.
    ConsoleRunControl& run = services.run;
    Session& session = services.session;
    outputs.SetPlayingRows([&run, &session] {
        std::vector<int> rows;
        for (int button = 0; button < kButtonCount; ++button) {
            if (!run.State(button).IsIdle()) {
                rows.push_back(session.records()[static_cast<size_t>(button)].output);
            }
        }
        return rows;
    });
    outputs.SetStatusNote(services.header);
}

void ProgramParts::AddSmpte(const Services& services) {
    capture_ = std::make_unique<GstCaptureSource>(clock_);
    StatusRelay& relay = *statusRelay_;
    smpte_ = std::make_unique<SmpteReader>(SmpteReader::Services{
        services.registry, services.box, *capture_, *timecode_, *ltc_,
        [&relay](int field, const std::string& text) { relay.Show(field, text); }});
    SmpteReader& smpte = *smpte_;
    services.portHooks.Plug(TriggerPort::kSmpte,
                            {[&smpte] { return smpte.Enable(); }, [&smpte] { smpte.Disable(); }});
    MainTick& tick = services.tick;
    PortSwitches& ports = services.ports;
    Add(std::make_unique<SmptePart>(
        smpte, *timecode_, *ltc_, [&tick] { tick.NoteLtcFrame(); },
        [&ports] { ports.Enable(TriggerPort::kSmpte); }));
}

void ProgramParts::SetupSmpte() {
    if (smpteDialog_ == nullptr || controlPanels_ == nullptr) {
        return;
    }
    SetupTriggerPort(ports_, TriggerPort::kSmpte, [this] {
        return ChooseSmpteSource(*smpte_, registry_, *smpteDialog_, *controlPanels_);
    });
}

void ProgramParts::RebuildTimecodeTable() {
    TimecodeStarts starts{};
    for (size_t button = 0; button < starts.size(); ++button) {
        const ButtonRecord& record = session_.records()[button];
        starts[button] = {record.startTimeOn != 0, record.startTime};
    }
    timecode_->SetStarts(starts);
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
