#include "app/console.h"

#include <cstdint>
#include <cstdio>

#include "session/registry.h"
#include "session/session.h"

namespace tamberline {

namespace {

struct PortSetting {
    const char* name;
    TriggerPort port;
};

// Start-up opens the ports in this order; exit closes them in another.
constexpr PortSetting kPortSettings[] = {
    {"SMPTEEnable", TriggerPort::kSmpte},
    {"MidiEnable", TriggerPort::kMidi},
    {"PbusEnable", TriggerPort::kPbus},
    {"PortEnable", TriggerPort::kGamePort},
};
constexpr TriggerPort kPortCloseOrder[] = {TriggerPort::kSmpte, TriggerPort::kGamePort,
                                           TriggerPort::kMidi, TriggerPort::kPbus};

}  // namespace

Console::Console(MessageBox& box, Session& session, Registry& registry, const Clock& clock,
                 ConsoleParts& parts, ConsoleView& view)
    : box_(box),
      session_(session),
      registry_(registry),
      parts_(parts),
      view_(view),
      tick_(clock, parts) {}

bool Console::Start(const std::string& commandLine) {
    view_.ShowHeaderMessage(" Writing kernel microcode ");
    view_.SetWaitCursor(true);
    if (!parts_.InitialiseMediaLibrary()) {
        box_.Show("Unable to initialise COM library.", mb::kOk | mb::kIconStop);
        return false;
    }
    parts_.StartFolderTreeFiller();
    if (!parts_.MediaFrameworkPresent()) {
        box_.Show(
            "DirectX components required by Tamberline not found.\n\n"
            "Download them from the Microsoft website,\n",
            mb::kOk | mb::kIconStop);
        return false;
    }
    touchScreen_ = registry_.IsOn("TouchScreen");
    parts_.FillTimecodeSources();
    parts_.CreateGamePorts();
    parts_.CreateMediaGraphs();
    parts_.BuildOutputs();
    parts_.SnapshotDevices();
    view_.ShowHeaderMessage(" Loading session ");
    hostAddress_ = parts_.ResolveHostAddress();
    parts_.SetNetworkMenuText();
    session_.RestoreAtStartup(commandLine);
    view_.ShowHeaderMessage("");
    parts_.StartStartWorker();
    OpenEnabledPorts();
    tick_.SetStartupComplete();
    parts_.ShowCueAndPortStatus();
    view_.SetWaitCursor(false);
    tick_.SetEnabled(true);
    view_.StartTickTimer();
    return true;
}

void Console::OpenEnabledPorts() {
    for (const PortSetting& setting : kPortSettings) {
        if (registry_.IsOn(setting.name)) {
            parts_.OpenPort(setting.port);
        }
    }
}

bool Console::Exit() {
    int running = parts_.NextRunningGraphButton(0);
    while (running >= 0 && !IsAssigned(session_.records()[static_cast<size_t>(running)])) {
        running = parts_.NextRunningGraphButton(running + 1);
    }
    if (running >= 0) {
        char text[96];
        std::snprintf(text, sizeof text, "Button %d is running.\nSure you want to exit?",
                      running + 1);
        if (box_.Show(text, mb::kYesNo) != kResultYes) {
            return false;
        }
    }
    if (!session_.ConfirmDiscard(false)) {
        return false;
    }
    parts_.StopAll();
    if (!parts_.RunLogExitCheck()) {
        return false;
    }
    tick_.SetEnabled(false);
    shuttingDown_ = true;
    view_.StopTickTimer();
    parts_.CloseLink();
    for (TriggerPort port : kPortCloseOrder) {
        parts_.ClosePort(port);
    }
    return true;
}

void Console::Teardown() {
    parts_.ReleaseGamePorts();
    parts_.StopStartWorker();
    parts_.ReleaseMediaGraphs();
    parts_.ReleaseAudioEngine();
    parts_.CloseHelpWindow();
    parts_.EndStartedPrograms();
    parts_.ReleaseLinkSocket();
    registry_.SetString(kMonitorSetting, FormatMonitorValue(view_.CurrentWorkArea()));
}

}  // namespace tamberline
