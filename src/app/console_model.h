#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/console_grid.h"
#include "app/console_menu.h"
#include "app/grid_gestures.h"
#include "app/port_switches.h"
#include "app/record_edit.h"
#include "session/lost_samples.h"
#include "session/session.h"
#include "session/session_host.h"

namespace tamberline {

class FileDialog;
class GridHooks;
class LinkState;
class MessageBox;
class Registry;
class RunControl;

struct ConsoleModelServices {
    MessageBox& box;
    FileDialog& fileDialog;
    Registry& registry;
    RunControl& run;
    GridHooks& hooks;
    const LinkState& link;
    PortHooks& portHooks;
    std::string documentsFolder;
    const PathKinds* pathKinds = nullptr;  // null: the system's mounts
};

// What the session asks of the console: playback through run control,
// repaints, the page, the title, the "File*" mark and the recent list.
class ConsoleSessionHost final : public SessionHost {
public:
    // The operator's answer to the list of lost and changed samples.
    enum class LostSampleAnswer { kIgnore, kClearLostSamples, kFind };
    // Shows that list (marks still set on `records`) and waits for the
    // answer. Without it the check only refreshes the stored sizes.
    using LostSampleList =
        std::function<LostSampleAnswer(const RecordArray& records, const SampleCheckResult&)>;
    // "Find": the search window over a copy of the records; true when it
    // ran to its end, the copy then holding what it found.
    using LostSampleSearch = std::function<bool(RecordArray& records)>;

    ConsoleSessionHost(RunControl& run, const LinkState& link, ConsoleMenu& menu, MessageBox& box)
        : run_(run), link_(link), menu_(menu), box_(box) {}
    void Attach(Session* session, ConsoleGrid* grid) {
        session_ = session;
        grid_ = grid;
    }
    void SetLostSampleList(LostSampleList list) { lostSampleList_ = std::move(list); }
    void SetLostSampleSearch(LostSampleSearch search) { lostSampleSearch_ = std::move(search); }

    void StopAll() override;
    void StopButton(int button) override;
    bool IsPlayingOrPaused(int button) const override;
    void MarkForReload(int button) override;
    void SessionLoaded(const std::string& path) override;
    void RepaintButton(int button) override;
    void RepaintPage() override;
    void ShowPage(int page) override;
    void UpdateTitle() override;
    void SetModified(bool modified) override;
    void RecentListChanged() override;
    void ReselectCurrentButton() override;
    void SetWaitCursor(bool on) override;
    bool IsModalDialogOpen() const override;
    void RebuildTimecodeTable() override {
        if (rebuildTimecode_) {
            rebuildTimecode_();
        }
    }
    // The timecode triggers' table, rebuilt from the records.
    void SetTimecodeRebuild(std::function<void()> rebuild) {
        rebuildTimecode_ = std::move(rebuild);
    }
    void RunSampleCheck() override;
    bool IsLinkedMaster() const override;
    bool IsLinkedSlave() const override;
    void TellLinkSessionChanged() override;
    // The network link: a slave's records changed.
    void SetLinkSessionChanged(std::function<void()> tell) { tellLink_ = std::move(tell); }
    std::string LocalPathOfOwnShare(const std::string& path) override;
    std::optional<int32_t> LocaliseSonglist(const std::string& songlistPath) override;

private:
    // Copies back what the search found for the lost buttons, as one undo
    // step, and tells the operator how many.
    void FindLostSamples(RecordArray& records);

    RunControl& run_;
    const LinkState& link_;
    ConsoleMenu& menu_;
    MessageBox& box_;
    Session* session_ = nullptr;
    ConsoleGrid* grid_ = nullptr;
    std::function<void()> rebuildTimecode_;
    LostSampleList lostSampleList_;
    LostSampleSearch lostSampleSearch_;
    std::function<void()> tellLink_;
};

// Everything the console window shows and edits, without a widget: the
// menu, the session, the grid's state, the gestures and the port switches.
class ConsoleModel {
public:
    explicit ConsoleModel(const ConsoleModelServices& services);
    ConsoleModel(const ConsoleModel&) = delete;
    ConsoleModel& operator=(const ConsoleModel&) = delete;

    ConsoleMenu& menu() { return menu_; }
    Session& session() { return session_; }
    ConsoleGrid& grid() { return grid_; }
    GridGestures& gestures() { return gestures_; }
    PortSwitches& ports() { return ports_; }
    void SetTimecodeRebuild(std::function<void()> rebuild) {
        host_.SetTimecodeRebuild(std::move(rebuild));
    }
    const EditContext& editContext() const { return context_; }
    // The hook of the lost-sample list, shown by the check after each load.
    void SetLostSampleList(ConsoleSessionHost::LostSampleList list) {
        host_.SetLostSampleList(std::move(list));
    }
    void SetLostSampleSearch(ConsoleSessionHost::LostSampleSearch search) {
        host_.SetLostSampleSearch(std::move(search));
    }
    ConsoleSessionHost& sessionHost() { return host_; }

    // The menu commands the model runs itself (File menu, pages, port
    // switches); false for the others, which the window runs.
    bool RunCommand(int id);
    // A saved songlist measured `lengthMs`: the buttons bound to it show it.
    void ApplySonglistLength(const std::string& path, int32_t lengthMs);

private:
    bool RunFileCommand(int id);

    ConsoleMenu menu_;
    ConsoleSessionHost host_;
    Session session_;
    ConsoleGrid grid_;
    EditContext context_;
    GridGestures gestures_;
    PortSwitches ports_;
};

}  // namespace tamberline
