#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tamberline {

// What the session needs from the rest of the program: playback, the
// console's view, the network link and path services. The console
// implements it; tests subclass NullSessionHost and record what they need.
class SessionHost {
public:
    virtual ~SessionHost() = default;

    // Playback.
    virtual void StopAll() = 0;
    virtual void StopButton(int button) = 0;
    virtual bool IsPlayingOrPaused(int button) const = 0;
    // The button's record changed: the engine prepares it afresh at its next start.
    virtual void MarkForReload(int button) = 0;
    // A session file was loaded: the run log's next entry carries its heading.
    virtual void SessionLoaded(const std::string& /*path*/) {}

    // The console's view.
    virtual void RepaintButton(int button) = 0;
    virtual void RepaintPage() = 0;
    virtual void ShowPage(int page) = 0;  // 0..7
    virtual void UpdateTitle() = 0;
    // The "File*" mark and the Undo item: true while the journal holds steps.
    virtual void SetModified(bool modified) = 0;
    virtual void RecentListChanged() = 0;
    // Selects the nearest assigned button again (or none).
    virtual void ReselectCurrentButton() = 0;
    virtual void SetWaitCursor(bool on) = 0;
    // Some dialog or box of the program is open and waits for the operator:
    // a reload now would change records under it.
    virtual bool IsModalDialogOpen() const = 0;

    // Later parts of the program.
    virtual void RebuildTimecodeTable() = 0;
    virtual void RunSampleCheck() = 0;

    // The network link.
    virtual bool IsLinkedMaster() const = 0;
    virtual bool IsLinkedSlave() const = 0;
    virtual void TellLinkSessionChanged() = 0;

    // A path to a share of this very computer as its local path; any other
    // path unchanged.
    virtual std::string LocalPathOfOwnShare(const std::string& path) = 0;
    // Rewrites a songlist whose entries name shares of this computer with
    // their local paths; gives the songlist's new size when it was rewritten.
    virtual std::optional<int32_t> LocaliseSonglist(const std::string& songlistPath) = 0;
};

// Does nothing: no playback, no view, no link.
class NullSessionHost : public SessionHost {
public:
    void StopAll() override {}
    void StopButton(int) override {}
    bool IsPlayingOrPaused(int) const override { return false; }
    void MarkForReload(int) override {}
    void RepaintButton(int) override {}
    void RepaintPage() override {}
    void ShowPage(int) override {}
    void UpdateTitle() override {}
    void SetModified(bool) override {}
    void RecentListChanged() override {}
    void ReselectCurrentButton() override {}
    void SetWaitCursor(bool) override {}
    bool IsModalDialogOpen() const override { return false; }
    void RebuildTimecodeTable() override {}
    void RunSampleCheck() override {}
    bool IsLinkedMaster() const override { return false; }
    bool IsLinkedSlave() const override { return false; }
    void TellLinkSessionChanged() override {}
    std::string LocalPathOfOwnShare(const std::string& path) override { return path; }
    std::optional<int32_t> LocaliseSonglist(const std::string&) override { return std::nullopt; }
};

}  // namespace tamberline
