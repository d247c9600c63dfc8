#include <algorithm>

#include "playback/button_runner.h"
#include "playback/graph/media_graph.h"
#include "playback/sound/sound_system.h"

namespace tamberline {

void ButtonRunner::RunFades(uint32_t elapsedMs) {
    if (services_.link->IsLinkedMaster()) {
        return;
    }
    AgeGroupStarts(elapsedMs);
    for (int i = 0; i < kButtonCount; ++i) {
        ButtonRunState& s = states_[Index(i)];
        // A songlist between entries waits for its next file; a member of a
        // start group held for the others fades once it is heard.
        if (!s.running || busy_[Index(i)] || heldForGroup_[Index(i)]) {
            continue;
        }
        const bool fading = s.fadeInActive || s.fadeOutActive;
        if (s.fadeInActive) {
            FadeIn(i, s, elapsedMs);
        }
        if (s.fadeOutArmed && !s.fadeOutActive && !records_[Index(i)].loop &&
            s.fadeOutMs >= s.remainingMs) {
            s.fadeOutActive = true;
        }
        if (s.fadeOutActive) {
            FadeOut(i, s, elapsedMs);
        }
        if (fading != (s.fadeInActive || s.fadeOutActive)) {
            Publish(i);
        }
    }
}

void ButtonRunner::FadeIn(int button, ButtonRunState& s, uint32_t elapsedMs) {
    float level = CurrentLevel(button) + static_cast<float>(elapsedMs) * s.fadeInRate;
    if (!s.onAudioEngine) {
        level = static_cast<float>(static_cast<long>(level));
    }
    level = std::min(level, 0.0f);
    if (level >= s.levelCb) {
        s.fadeInActive = false;
    }
    SetLevel(button, level);
}

void ButtonRunner::FadeOut(int button, ButtonRunState& s, uint32_t elapsedMs) {
    float level = CurrentLevel(button) - static_cast<float>(elapsedMs) * s.fadeOutRate;
    if (!s.onAudioEngine) {
        level = static_cast<float>(static_cast<long>(level));
    }
    SetLevel(button, level);
    // Below -5000 both engines are silent: 10^(-5000/1000) is the engine's floor.
    if (level >= static_cast<float>(kFadeFloorCb) && s.fadeOutRate > 0.0f) {
        return;
    }
    s.fadeOutActive = false;
    s.fadeOutArmed = false;
    if (!s.pauseAfterFade) {
        StopButton(button);
        return;
    }
    if (s.onAudioEngine) {
        engine_->SetPaused(s.channel, true);
    } else if (MediaGraph* graph = Graph(button)) {
        graph->Pause();
    }
    s.running = false;
    s.paused = true;
    Publish(button);
}

void ButtonRunner::RunClocks(uint32_t elapsedMs) {
    if (services_.link->IsLinkedMaster()) {
        return;
    }
    const bool engineLost = engine_ && engine_->Update() == SoundResult::kErrOutputLost;
    for (int i = 0; i < kButtonCount; ++i) {
        ButtonRunState& s = states_[Index(i)];
        if (!s.running || busy_[Index(i)] || heldForGroup_[Index(i)]) {
            continue;
        }
        s.playedMs += elapsedMs;
        s.runLog.runMs += elapsedMs;
        s.remainingMs -= static_cast<int32_t>(elapsedMs);
        if (s.onAudioEngine) {
            if (engineLost) {
                StopButton(i);
            } else {
                EngineEndOfPlay(i);
            }
        } else if ((records_[Index(i)].loop || s.IsSegmented()) && s.remainingMs < -800) {
            s.remainingMs = static_cast<int32_t>(records_[Index(i)].durationMs);
        }
        Publish(i);
    }
}

void ButtonRunner::EngineEndOfPlay(int button) {
    ButtonRunState& s = states_[Index(button)];
    bool playing = false;
    const SoundResult result = engine_->IsPlaying(s.channel, playing);
    if (result == SoundResult::kErrFileRead) {
        // Not the end of the file: the disk failed under it.
        const std::string path =
            s.songlist.empty() ? std::string(PathOf(records_[Index(button)])) : s.songlist.front();
        StopButton(button);
        if (services_.host) {
            services_.host->ReportPlayError(button, path);
        }
        return;
    }
    if (result != SoundResult::kOk || !playing) {
        if (!s.songlist.empty()) {
            NextSonglistItem(button);
        } else {
            s.remainingMs = static_cast<int32_t>(records_[Index(button)].durationMs);
            StopButton(button);
        }
        return;
    }
    if (s.IsSegmented()) {
        StreamSegments(button);
    }
}

}  // namespace tamberline
