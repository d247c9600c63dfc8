#include "playback/button_runner.h"
#include "playback/graph/media_graph.h"
#include "playback/sound/sound_system.h"
#include "playback/video_display.h"
#include "session/run_log.h"

namespace tamberline {

void ButtonRunner::ReleaseButton(int button) {
    if (!Valid(button) || Defer(button, false, [this, button] { ReleaseButton(button); })) {
        return;
    }
    RunLink& link = *services_.link;
    if (link.IsLinkedMaster()) {
        link.Send(link_command::kRelease, button);
        return;
    }
    if (link.IsLinkedSlave()) {
        link.Send(link_command::kStopped, button);
    }
    MidiNote(button, false);
    ButtonRunState& s = states_[Index(button)];
    if (!s.running) {
        return;
    }
    const bool pause = records_[Index(button)].flags & kFlagPause;
    s.fadeInActive = false;
    if (s.fadeOutMs > 0 && !s.fadeOutActive) {
        s.fadeOutActive = true;
        s.pauseAfterFade = pause;
        Publish(button);
        return;
    }
    if (!pause) {
        StopButton(button);
        return;
    }
    if (s.onAudioEngine && engine_) {
        engine_->SetVolume(s.channel, kSilentVolume);
        engine_->SetPaused(s.channel, true);
    } else if (MediaGraph* graph = Graph(button)) {
        graph->Pause();
    }
    s.fadeOutActive = false;
    s.running = false;
    s.paused = true;
    Publish(button);
}

void ButtonRunner::SilenceAndHalt(int button) {
    ButtonRunState& s = states_[Index(button)];
    if (s.onAudioEngine && engine_) {
        engine_->SetVolume(s.channel, kSilentVolume);
        engine_->SetPaused(s.channel, true);
    } else if (MediaGraph* graph = Graph(button); graph && s.onMediaGraph) {
        graph->PutVolume(kFadeFloorCb);
        graph->Stop();
    }
    if (services_.video) {
        services_.video->HideVideo(button);
    }
}

void ButtonRunner::WriteRunLog(int button) {
    ButtonRunState& s = states_[Index(button)];
    uint32_t underruns = 0;
    if (s.onAudioEngine && engine_ &&
        engine_->GetUnderruns(s.channel, underruns) == SoundResult::kOk) {
        s.runLog.underruns = underruns;
    }
    if (services_.runLog) {
        services_.runLog->AppendRunLogLine(s.runLog,
                                           std::string(CaptionOf(records_[Index(button)])));
    } else {
        s.runLog = {};
    }
}

// What stopping one button and stopping all share once the sound is halted.
void ButtonRunner::EndState(int button) {
    DropFromGroup(button);
    ButtonRunState& s = states_[Index(button)];
    s.running = false;
    s.paused = false;
    s.fadeInActive = false;
    s.fadeOutActive = false;
    s.releaseToEnd = false;
    s.releaseDone = false;
    WriteRunLog(button);
    if (s.playedMs % 1000 != 0) {
        s.playedMs += 1000 - s.playedMs % 1000;
    }
    s.remainingMs = static_cast<int32_t>(records_[Index(button)].durationMs);
    s.songlist.clear();
}

void ButtonRunner::EndRun(int button) {
    EndState(button);
    ReleaseButtonMedia(button);
    Publish(button);
}

void ButtonRunner::StopButton(int button) {
    if (!Valid(button) || Defer(button, false, [this, button] { StopButton(button); }) ||
        !IsAssigned(records_[Index(button)])) {
        return;
    }
    RunLink& link = *services_.link;
    if (link.IsLinkedMaster()) {
        link.Send(link_command::kRelease, button);
        return;
    }
    if (link.IsLinkedSlave()) {
        link.Send(link_command::kStopped, button);
    }
    SilenceAndHalt(button);
    EndRun(button);
    MidiNote(button, false);
}

// The caller has closed the start gate already, on its own thread, so that a
// pass under way stopped starting buttons before this command came up.
void ButtonRunner::StopAll() {
    RunLink& link = *services_.link;
    if (link.IsLinkedMaster()) {
        link.Send(link_command::kStopAll, -1);
        return;
    }
    // Members held for a group start are stopped with the rest, never started.
    ForgetGroupStarts();
    for (int i = 0; i < kButtonCount; ++i) {
        ButtonRunState& s = states_[Index(i)];
        if (busy_[Index(i)]) {
            // Its file work is out: what it brings back is let go. Starts
            // asked for before this stop-all are not made after it.
            stoppedAll_[Index(i)] = true;
            std::erase_if(deferred_[Index(i)], [](const Deferred& d) { return d.start; });
            if (s.running || s.paused) {
                EndState(i);
                Publish(i);
            }
        } else if (s.running || s.paused) {
            SilenceAndHalt(i);
            EndRun(i);
        } else if (s.onAudioEngine || s.onMediaGraph) {
            // Prepared but never started (a start abandoned half-way).
            ReleaseButtonMedia(i);
        }
    }
    ClearBuzzerLocks();
    MidiOutQueue& midi = *services_.midiOut;
    if (midi.enabled()) {
        std::array<uint32_t, 17> messages{};
        for (uint32_t channel = 0; channel < 16; ++channel) {
            messages[channel] = (0xB0 + channel) | (120u << 8);
        }
        messages[16] = 0xFF;
        midi.Queue(messages);
    }
}

}  // namespace tamberline
