#include <algorithm>
#include <cmath>

#include "base/stage_trace.h"
#include "playback/button_runner.h"
#include "playback/engine_voice.h"
#include "playback/graph/media_graph.h"
#include "playback/sound/sound_system.h"
#include "playback/video_display.h"

namespace tamberline {

bool ButtonRunner::CanStart(int button) const {
    return IsAssigned(records_[Index(button)]) && startupComplete_ && !shuttingDown_ &&
           !states_[Index(button)].locked;
}

void ButtonRunner::StartButton(int button) {
    if (!Valid(button) || Defer(button, true, [this, button] { StartButton(button); })) {
        return;
    }
    ButtonRunState& s = states_[Index(button)];
    if (!CanStart(button)) {
        DropFromGroup(button);
        return;
    }
    RunLink& link = *services_.link;
    if (link.IsLinkedMaster()) {
        link.Send(link_command::kStart, button);
        return;
    }
    MarkStage("control", button);
    if (!s.songlist.empty() && !s.paused) {
        s.songlist.clear();
        StopButton(button);
    }
    // Its sound ended before the clock pass saw it: that run is over, and
    // this start is a fresh one.
    if (s.running && s.onAudioEngine && !ChannelPlays(s.channel)) {
        StopButton(button);
    }
    if (!s.running && !s.paused) {
        PrepareButton(button, true, [this, button](int result) { StartPrepared(button, result); });
        return;
    }
    RunStart(button);
}

// The file is prepared, or could not be. What changed while the file work
// was out counts: a stop-all since, a buzzer lock, the end of the program.
void ButtonRunner::StartPrepared(int button, int result) {
    MarkStage("prepared", button);
    ButtonRunState& s = states_[Index(button)];
    if (stoppedAll_[Index(button)] || !CanStart(button)) {
        DropFromGroup(button);
        ReleaseButtonMedia(button);
        s.songlist.clear();
        Publish(button);
        return;
    }
    // A songlist moves on past an entry that will not play.
    if (result != kPrepared && s.songlist.size() > 1) {
        s.songlist.pop_front();
        PrepareButton(button, false, [this, button](int next) { StartPrepared(button, next); });
        return;
    }
    if (result != kPrepared) {
        DropFromGroup(button);
        if (!s.songlist.empty()) {
            s.songlist.clear();
        } else if (result != kNoPlayableEntry && services_.host) {
            services_.host->AskAboutFailedStart(
                button, std::string(PathOf(records_[Index(button)])), result);
        }
        Publish(button);
        return;
    }
    RunStart(button);
}

void ButtonRunner::RunStart(int button) {
    ButtonRunState& s = states_[Index(button)];
    const ButtonRecord& r = records_[Index(button)];
    RunLink& link = *services_.link;
    if (link.IsLinkedSlave()) {
        link.Send(link_command::kStarted, button);
    }
    const bool fresh = !s.paused;
    if (fresh) {
        if (s.onAudioEngine) {
            engine_->SetPaused(s.channel, true);
        }
        SetStartPosition(button);
        if (s.songlist.empty()) {
            s.remainingMs = static_cast<int32_t>(r.durationMs);
        }
        s.releaseToEnd = false;
        s.releaseDone = false;
        s.sentenceIndex = 0;
    }
    s.fadeInActive = r.fadeIn != 0;
    s.fadeInRate = s.fadeInActive ? (s.levelCb + 5000.0f) / (r.fadeIn * 100.0f) : 0.0f;
    s.fadeOutArmed = s.fadeOutMs >= 1;
    s.fadeOutRate = s.fadeOutArmed ? (s.levelCb + 5000.0f) / static_cast<float>(s.fadeOutMs) : 0;
    s.fadeOutActive = false;
    s.pauseAfterFade = false;

    // A member the group's start requested starts no group start of its own
    // (the group may be armed again before its file is ready).
    const bool member = GatheredForGroup(button);
    if (s.onAudioEngine && fresh && !member) {
        BeginGroupStart(button);
    }
    const bool held = s.onAudioEngine && fresh && HoldForGroup(button);
    if (!held) {
        DropFromGroup(button);  // a member that runs already, or plays on a graph
    }
    if (s.onAudioEngine) {
        if (!engine_ || engine_->SetVolume(s.channel, kSilentVolume) != SoundResult::kOk) {
            DropFromGroup(button);
            s.fileSeen.reset();
            if (s.running || s.paused) {
                StopButton(button);
            } else {
                ReleaseButtonMedia(button);
                Publish(button);
            }
            return;
        }
        if (!held) {
            engine_->SetPaused(s.channel, false);
        }
        if (!s.fadeInActive) {
            engine_->SetVolume(s.channel, EngineVolume(s.levelCb));
        }
    } else if (MediaGraph* graph = Graph(button)) {
        // Levelled before it runs: a level set just after Run would reach
        // the sound only after its first buffer, cutting the attack.
        graph->PutVolume(s.fadeInActive ? kFadeFloorCb : static_cast<long>(s.levelCb));
        ShowVideo(button, *graph);
        graph->Run();
    }
    if (fresh) {
        s.runLog.start = LocalDateTime::Now();
        s.runLog.fileName = s.songlist.empty() ? std::string(PathOf(r)) : s.songlist.front();
    }
    s.running = true;
    s.paused = false;
    Publish(button);
    MarkStage("voice", button);

    StopGroups(button);
    if (r.flags & kFlagBuzzersAndBells) {
        LockBuzzers();
    }
    if (const int group = StartGroupOf(button); group != 0) {
        if (!member) {
            requests_.StartGroupMembers(group, button);
        }
        FinishGroupStart(group);  // the last member to come starts them all
    }
    MidiNote(button, true);
}

void ButtonRunner::SetStartPosition(int button) {
    ButtonRunState& s = states_[Index(button)];
    const ButtonRecord& r = records_[Index(button)];
    const bool loops = r.loop && s.songlist.empty();
    if (s.onAudioEngine) {
        // A segmented sound keeps the mode its segments set.
        if (loops || !s.IsSegmented()) {
            SetEngineLoop(*engine_, s.sound, s.channel, loops);
        }
        engine_->SetPosition(s.channel, 0, TimeUnit::kMs);
        return;
    }
    MediaGraph* graph = Graph(button);
    if (!graph) {
        return;
    }
    if (s.IsSegmented()) {
        WavSegmentTable& table = s.segments;
        for (WavSegment& segment : table.segments) {
            segment.counter = 0;
        }
        table.currentIndex = 0;
        const WavSegment& first = table.segments.front();
        const bool once = table.SegmentCount() == 1 && first.loopCount == 1;
        graph->SetTimeFormat(TimeFormat::kSample);
        graph->SetPositions(first.start, once ? kSeekAbsolute : s.seekFlags, first.end,
                            kSeekAbsolute);
        return;
    }
    int64_t duration = 0;
    graph->GetDuration(duration);
    graph->SetPositions(0, loops ? s.seekFlags : kSeekAbsolute, duration, kSeekAbsolute);
}

void ButtonRunner::ShowVideo(int button, MediaGraph& graph) {
    if (services_.video) {
        const ButtonRunState& s = states_[Index(button)];
        services_.video->ShowVideo(
            button, graph,
            s.songlist.empty() ? std::string(PathOf(records_[Index(button)])) : s.songlist.front());
    }
}

void ButtonRunner::StopGroups(int button) {
    const unsigned groups = records_[Index(button)].flags & 0x0F;
    if (groups == 0) {
        return;
    }
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonRunState& other = states_[Index(i)];
        if (i == button || !other.running || other.fadeOutActive) {
            continue;
        }
        if ((groups & kFlagStopAll) || (records_[Index(i)].flags & groups & 0x0F)) {
            ReleaseButton(i);
        }
    }
}

void ButtonRunner::LockBuzzers() {
    for (int i = 0; i < kButtonCount; ++i) {
        if (records_[Index(i)].flags & kFlagBuzzersAndBells) {
            states_[Index(i)].locked = true;
            Publish(i);
        }
    }
}

}  // namespace tamberline
