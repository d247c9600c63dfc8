#pragma once

#include <string>

#include "app/clock.h"
#include "app/console_parts.h"
#include "app/main_tick.h"
#include "app/message_box.h"
#include "app/monitor_placement.h"
#include "session/session.h"
#include "session/session_host.h"

namespace tamberline {

class FileDialog;
class Registry;

// What the console's window does for the core: header line, title, menus,
// cursor, timer, repainting, and the work area it covers.
class ConsoleView {
public:
    virtual ~ConsoleView() = default;
    virtual void ShowHeaderMessage(const std::string& /*text*/) {}
    virtual void ShowTitle(const std::string& /*title*/) {}
    // The "File*" mark and the Undo item.
    virtual void ShowModified(bool /*modified*/) {}
    virtual void ShowRecentList(const std::array<std::string, kRecentCount>& /*entries*/) {}
    virtual void RepaintButton(int /*button*/) {}
    virtual void RepaintPage() {}
    virtual void ShowPage(int /*page*/) {}
    virtual void ReselectCurrentButton() {}
    virtual void SetWaitCursor(bool /*wait*/) {}
    virtual void StartTickTimer() {}
    virtual void StopTickTimer() {}
    virtual MonitorRect CurrentWorkArea() const { return {}; }
};

// The console's life: the ordered start-up, the tick, the exit checks and
// the teardown. Owns the session and the program-wide flags of the main
// window; the session reaches the rest of the program through it.
class Console final : private SessionHost {
public:
    Console(MessageBox& box, FileDialog& fileDialog, Registry& registry, const Clock& clock,
            ConsoleParts& parts, ConsoleView& view, const std::string& documentsFolder = {});

    // Runs the start-up sequence. False means the process ends at once
    // with exit code 0.
    bool Start(const std::string& commandLine);
    void Tick() { tick_.Run(); }
    // The exit checks; true when the window may close.
    bool Exit();
    void Teardown();

    Session& session() { return session_; }
    MainTick& tick() { return tick_; }
    bool touchScreen() const { return touchScreen_; }
    bool shuttingDown() const { return shuttingDown_; }
    const std::string& hostAddress() const { return hostAddress_; }

private:
    void OpenEnabledPorts();

    // SessionHost
    void StopAll() override { parts_.StopAll(); }
    void StopButton(int button) override { parts_.StopButton(button); }
    bool IsPlayingOrPaused(int button) const override { return parts_.IsPlayingOrPaused(button); }
    void MarkForReload(int button) override { parts_.MarkForReload(button); }
    void RepaintButton(int button) override { view_.RepaintButton(button); }
    void RepaintPage() override { view_.RepaintPage(); }
    void ShowPage(int page) override { view_.ShowPage(page); }
    void UpdateTitle() override;
    void SetModified(bool modified) override { view_.ShowModified(modified); }
    void RecentListChanged() override;
    void ReselectCurrentButton() override { view_.ReselectCurrentButton(); }
    void SetWaitCursor(bool on) override { view_.SetWaitCursor(on); }
    void RebuildTimecodeTable() override { parts_.RebuildTimecodeTable(); }
    void RunSampleCheck() override { parts_.RunSampleCheck(); }
    bool IsLinkedMaster() const override { return parts_.IsLinkedMaster(); }
    bool IsLinkedSlave() const override { return parts_.IsLinkedSlave(); }
    void TellLinkSessionChanged() override { parts_.TellLinkSessionChanged(); }
    std::string LocalPathOfOwnShare(const std::string& path) override;
    std::optional<int32_t> LocaliseSonglist(const std::string& songlistPath) override;

    MessageBox& box_;
    Registry& registry_;
    ConsoleParts& parts_;
    ConsoleView& view_;
    MainTick tick_;
    Session session_;
    bool touchScreen_ = false;
    bool shuttingDown_ = false;
    std::string hostAddress_;
};

}  // namespace tamberline
