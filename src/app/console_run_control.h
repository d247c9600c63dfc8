#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <string>

#include "app/lost_sample_finder.h"
#include "app/run_control.h"
#include "app/state_run_link.h"
#include "playback/run_controller.h"
#include "playback/video_display.h"
#include "session/run_log.h"

namespace tamberline {

class MessageBox;
class Session;

// The console's run control: every command goes to the control thread; what
// run control reports (record run data, questions, the songlist warning)
// comes back to the GUI thread as a queued call, so neither side waits for
// the other.
class ConsoleRunControl final : public RunControl, private RunHost {
public:
    ConsoleRunControl(MessageBox& box, const std::string& documentsFolder, const LinkState& link);
    ~ConsoleRunControl() override;

    // GUI thread: where records are read for reloads and run data written
    // back, and how a changed button is redrawn.
    void AttachSession(Session* session, std::function<void(int)> repaint);
    // The operator's answer to a failed start: every assigned button that
    // plays exactly this file is cleared, as one undo step.
    void ClearAllReferences(const std::string& path);
    // The search for the lost file when the answer is "Find".
    LostSampleFinder& finder() { return finder_; }
    RunController& controller() { return run_; }
    // The echo of starts and stops for the MIDI outputs.
    MidiOutQueue& midiOut() { return midiOut_; }
    RunLog& runLog() { return log_; }
    // The one video display; the console gives it its window.
    VideoDisplay& video() { return video_; }
    void NoteSessionLoaded(const std::string& path) override;

    // RunControl, GUI thread.
    void StartButton(int button) override { run_.StartButton(button); }
    void ReleaseButton(int button) override { run_.ReleaseButton(button); }
    void StopButton(int button) override { run_.StopButton(button); }
    void StopAll() override { run_.StopAll(); }
    void SetReleaseToEnd(int button) override { run_.SetReleaseToEnd(button); }
    void ClearBuzzerLocks() override { run_.ClearBuzzerLocks(); }
    void RequestStarts(const std::vector<int>& buttons) override { run_.RequestStarts(buttons); }
    ButtonRunView State(int button) const override;
    void SetPlayedMs(int button, uint32_t ms) override { run_.SetPlayedMs(button, ms); }
    void MarkForReload(int button) override;
    int PrepareButton(int button, ButtonRecord& record) override;

    // Hands every record over, at start-up and after a load.
    void ReloadAll();

    // The network link: where run control's link commands go, and what a
    // linked master shows instead of its own playback (GUI thread).
    void SetLinkSender(NetLink* link) { link_.SetSender(link); }
    void ShowRemote(int button, const ButtonRunView& view);
    void ClearRemote() { remote_.fill(ButtonRunView{}); }
    // Stops this machine's playback, then runs `then` on the control thread.
    void StopAllThen(std::function<void()> then);

private:
    // RunHost, control thread.
    void RecordChanged(int button, const ButtonRecord& record, uint32_t version) override;
    void AskAboutFailedStart(int button, const std::string& path, int code) override;
    void ShowSonglistWarning() override;
    void ReportPlayError(int button, const std::string& path) override;
    void OnGui(std::function<void()> call);
    void ApplyRecord(int button, const ButtonRecord& record, uint32_t version);

    MessageBox& box_;
    RunLog log_;
    MidiOutQueue midiOut_;
    StateRunLink link_;
    QObject gui_;  // queued calls die with it
    LostSampleFinder finder_;
    Session* session_ = nullptr;
    std::function<void(int)> repaint_;
    // GUI thread: the version of each record last handed to run control.
    std::array<uint32_t, kButtonCount> versions_{};
    VideoDisplay video_;
    std::array<ButtonRunView, kButtonCount> remote_{};
    RunController run_;
};

}  // namespace tamberline
